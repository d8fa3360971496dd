#include "TerminalMessages.h"

#include "Terminal.h"

void TerminalMessages::showMessage(const QString& text, Icon)
{
    PrintErrorLine(text);
}

bool TerminalMessages::askOkCancel(const QString& text, Icon, DefaultButton)
{
    PrintErrorLine(text);
    PrintErrorLine(QStringLiteral("(answered Cancel: velmora-run asks nobody)"));
    return false;
}

bool TerminalMessages::askYesNo(const QString& text)
{
    PrintErrorLine(text);
    PrintErrorLine(m_answerYes
            ? QStringLiteral("(answered Yes: --allow-empty-source)")
            : QStringLiteral("(answered No: velmora-run asks nobody; --allow-empty-source answers Yes)"));
    return m_answerYes;
}
