#include "CAboutDlg.h"

#include "AppIcons.h"
#include "DialogUnits.h"
#include "ShowHelp.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kTemplateWidth = 218;
constexpr int kTemplateHeight = 111;

enum class Kind
{
    Icon,
    Text,
    Link,
    EtchedLine,
    OkButton,
};

struct ControlTemplate
{
    Kind kind;
    const char* name;
    const char* text;
    int left, top, width, height;
};

// The help link stands where a link to a web page would: the help page is the program's own.
constexpr ControlTemplate kControls[] = {
    {Kind::Icon, "ctlIcon", nullptr, 7, 7, 24, 22},
    {Kind::Text, "ctlVersion", QT_TRANSLATE_NOOP("CAboutDlg", "Velmora, Version 1.02"), 38, 10, 173, 8},
    {Kind::Text, "ctlTools", QT_TRANSLATE_NOOP("CAboutDlg", "The program runs the 7-Zip archiver and rsync."), 38, 24,
        173, 18},
    {Kind::Link, "ctl1016", QT_TRANSLATE_NOOP("CAboutDlg", "Read the help"), 38, 46, 173, 8},
    {Kind::EtchedLine, "ctlLine", nullptr, 7, 80, 204, 2},
    {Kind::OkButton, "ctl1", QT_TRANSLATE_NOOP("CAboutDlg", "OK"), 161, 90, 50, 14},
};

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(tr("About Velmora"));
    const DialogUnits units(font());

    for (const ControlTemplate& control : kControls) {
        QWidget* widget = nullptr;
        switch (control.kind) {
        case Kind::Icon: {
            auto* icon = new QLabel(this);
            icon->setPixmap(AppIcon(128).pixmap(32, 32));
            icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = icon;
            break;
        }
        case Kind::Text: {
            auto* label = new QLabel(tr(control.text), this);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = label;
            break;
        }
        case Kind::Link: {
            auto* link
                = new QLabel(QStringLiteral("<a href=\"help\">%1</a>").arg(tr(control.text).toHtmlEscaped()), this);
            link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
            connect(link, &QLabel::linkActivated, this, [] { ShowHelp(); });
            widget = link;
            break;
        }
        case Kind::EtchedLine: {
            auto* line = new QFrame(this);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            widget = line;
            break;
        }
        case Kind::OkButton: {
            auto* ok = new QPushButton(tr(control.text), this);
            ok->setDefault(true);
            connect(ok, &QPushButton::clicked, this, &QDialog::accept);
            widget = ok;
            break;
        }
        }
        widget->setObjectName(QString::fromLatin1(control.name));
        widget->setGeometry(units.rect(control.left, control.top, control.width, control.height));
    }

    setFixedSize(units.x(kTemplateWidth), units.y(kTemplateHeight));
}
