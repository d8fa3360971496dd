#include "TerminalMessages.h"

#include "ResourceIds.h"
#include "StringTable.h"
#include "Terminal.h"

void TerminalMessages::showMessage(const QString& text, Icon)
{
    PrintErrorLine(text);
}

bool TerminalMessages::askOkCancel(const QString& text, Icon, DefaultButton)
{
    PrintErrorLine(text);
    PrintErrorLine(LoadStringById(StringId::RunAnsweredCancel));
    return false;
}

bool TerminalMessages::askYesNo(const QString& text)
{
    PrintErrorLine(text);
    PrintErrorLine(LoadStringById(m_answerYes ? StringId::RunAnsweredYes : StringId::RunAnsweredNo));
    return m_answerYes;
}
