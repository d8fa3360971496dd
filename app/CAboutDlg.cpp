#include "CAboutDlg.h"

#include "AppIcons.h"
#include "DialogTemplate.h"
#include "ResourceIds.h"
#include "ShowHelp.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    using C = ControlTemplate;
    BuildDialogTemplate(this, QT_TRANSLATE_NOOP("CAboutDlg", "About Velmora"), QSize(218, 111),
        {
            {C::Icon, 0, nullptr, 7, 7, 24, 22, "ctlIcon"},
            {C::StaticText, 0, QT_TRANSLATE_NOOP("CAboutDlg", "Velmora, Version 1.02"), 38, 10, 173, 8, "ctlVersion"},
            {C::StaticText, 0, QT_TRANSLATE_NOOP("CAboutDlg", "The program runs the 7-Zip archiver and rsync."), 38, 24,
                173, 18, "ctlTools"},
            // The help link stands where a link to a web page would: the help page is the program's own.
            {C::Link, ControlId::HelpLink, QT_TRANSLATE_NOOP("CAboutDlg", "Read the help"), 38, 46, 173, 8},
            {C::EtchedLine, 0, nullptr, 7, 80, 204, 2, "ctlLine"},
            {C::DefaultButton, ControlId::Ok, QT_TRANSLATE_NOOP("CAboutDlg", "OK"), 161, 90, 50, 14, "ctl1"},
        });
    FindControl<QLabel>(this, "ctlIcon")->setPixmap(ProgramIcon().pixmap(32, 32));
    connect(FindControl<QLabel>(this, ControlId::HelpLink), &QLabel::linkActivated, this, [] { ShowHelp(); });
    connect(FindControl<QPushButton>(this, "ctl1"), &QPushButton::clicked, this, &QDialog::accept);
}
