// The real message boxes: a question whose OK destroys something takes Cancel on Enter.

#include "MessageBoxes.h"

#include "DialogTestSupport.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using MessageBoxesTest = DialogFixture;

TEST_F(MessageBoxesTest, EnterAnswersWithTheDefaultButtonTheQuestionNames)
{
    MessageBoxes boxes;
    for (const auto& [defaultButton, answer] :
        {std::pair {UserMessages::DefaultButton::Cancel, false}, std::pair {UserMessages::DefaultButton::Ok, true}}) {
        QMessageBox::StandardButton focused = QMessageBox::NoButton;
        whenModal<QMessageBox>([&focused](QMessageBox& box) {
            focused = box.standardButton(box.defaultButton());
            QTest::keyClick(&box, Qt::Key_Return);
        });
        EXPECT_EQ(boxes.askOkCancel("Delete every backup?", UserMessages::Icon::Warning, defaultButton), answer);
        EXPECT_EQ(focused, answer ? QMessageBox::Ok : QMessageBox::Cancel);
    }
}
