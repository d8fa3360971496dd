#include "RetentionFields.h"

#include "ResourceIds.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>
#include <array>

namespace {

struct RetentionRule
{
    int id;
    qint32 RetentionPolicy::*count;
    const char* caption;
    const char* tip;
};

const std::array<RetentionRule, 6> kRules = {{
    {ControlId::KeepLast, &RetentionPolicy::last, QT_TRANSLATE_NOOP("RetentionFields", "Last"),
        QT_TRANSLATE_NOOP("RetentionFields", "How many of the newest points are kept, whatever their time.")},
    {ControlId::KeepHourly, &RetentionPolicy::hourly, QT_TRANSLATE_NOOP("RetentionFields", "Hours"),
        QT_TRANSLATE_NOOP("RetentionFields", "The newest point of each of this many last hours that have one.")},
    {ControlId::KeepDaily, &RetentionPolicy::daily, QT_TRANSLATE_NOOP("RetentionFields", "Days"),
        QT_TRANSLATE_NOOP("RetentionFields", "The newest point of each of this many last days that have one.")},
    {ControlId::KeepWeekly, &RetentionPolicy::weekly, QT_TRANSLATE_NOOP("RetentionFields", "Weeks"),
        QT_TRANSLATE_NOOP("RetentionFields", "The newest point of each of this many last weeks that have one.")},
    {ControlId::KeepMonthly, &RetentionPolicy::monthly, QT_TRANSLATE_NOOP("RetentionFields", "Months"),
        QT_TRANSLATE_NOOP("RetentionFields", "The newest point of each of this many last months that have one.")},
    {ControlId::KeepYearly, &RetentionPolicy::yearly, QT_TRANSLATE_NOOP("RetentionFields", "Years"),
        QT_TRANSLATE_NOOP("RetentionFields", "The newest point of each of this many last years that have one.")},
}};

// A count of points far beyond any real history; the box only needs a bound.
constexpr int kMostPoints = 9999;

QString translated(const char* text)
{
    return QCoreApplication::translate("RetentionFields", text);
}

} // namespace

QList<ControlTemplate> RetentionControls(int left, int top, int width, int extraHeight, int perRow)
{
    using C = ControlTemplate;
    // The captions are set by SetUpRetentionControls, translated in one context for both dialogs.
    QList<ControlTemplate> controls = {
        {C::GroupBox, ControlId::RetentionGroup, nullptr, left, top, width, RetentionGroupHeight(perRow) + extraHeight},
    };
    const int column = (width - 14) / perRow;
    for (int i = 0; i < int(kRules.size()); ++i) {
        const int x = left + 7 + i % perRow * column;
        const int y = top + 12 + i / perRow * 26;
        controls.append({C::Label, kRules[size_t(i)].id, nullptr, x, y, column - 4, 8});
        controls.append({C::SpinBox, kRules[size_t(i)].id, nullptr, x, y + 10, std::min(column - 4, 40), 14});
    }
    return controls;
}

void SetUpRetentionControls(QWidget* dialog, const std::function<void()>& changed)
{
    dialog->findChild<QGroupBox*>(QStringLiteral("group%1").arg(ControlId::RetentionGroup), Qt::FindDirectChildrenOnly)
        ->setTitle(translated(QT_TRANSLATE_NOOP("RetentionFields", "Restore points kept (0 turns a rule off)")));
    for (const RetentionRule& rule : kRules) {
        auto* caption = dialog->findChild<QLabel*>(QStringLiteral("label%1").arg(rule.id), Qt::FindDirectChildrenOnly);
        caption->setText(translated(rule.caption));
        auto* box = FindControl<QSpinBox>(dialog, rule.id);
        box->setRange(0, kMostPoints);
        box->setToolTip(translated(rule.tip));
        caption->setToolTip(box->toolTip());
        if (changed)
            QObject::connect(box, &QSpinBox::valueChanged, dialog, [changed] { changed(); });
    }
}

void ShowRetentionCounts(QWidget* dialog, const RetentionPolicy& counts)
{
    for (const RetentionRule& rule : kRules)
        FindControl<QSpinBox>(dialog, rule.id)->setValue(counts.*rule.count);
}

RetentionPolicy RetentionCountsShown(const QWidget* dialog)
{
    RetentionPolicy counts;
    for (const RetentionRule& rule : kRules)
        counts.*rule.count = FindControl<QSpinBox>(dialog, rule.id)->value();
    return counts;
}
