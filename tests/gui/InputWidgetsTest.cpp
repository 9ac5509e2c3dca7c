// The filtering text field as the operator types into it, and the folder
// picker's question for a folder that does not exist.
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <filesystem>

#include "GuiTest.h"
#include "connection/views/CDLCatchEdit.h"
#include "connection/views/CFolderDialog.h"

namespace {
class CatchEditWidget : public GuiTest {
protected:
    QDialog window;
    CDLCatchEdit* edit = new CDLCatchEdit(&window);
    QPushButton* ok = new QPushButton("OK", &window);
    void SetUp() override
    {
        GuiTest::SetUp();
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(ok);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &window, &QDialog::accept);
        window.show();
        edit->setFocus();
    }
};

TEST_F(CatchEditWidget, DigitsOnlyThreeLong)
{
    edit->SetCharacterClasses(kJxCatchDigits);
    edit->SetMaxLength(3);
    edit->SetDecimals(0);
    QTest::keyClicks(edit, "12a");
    EXPECT_EQ(edit->text(), "12");
    EXPECT_EQ(edit->selectedText(), "12");

    edit->clear();
    QTest::keyClicks(edit, "123");
    EXPECT_EQ(edit->text(), "123");
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, '4');
    EXPECT_EQ(edit->text(), "123");
    EXPECT_EQ(edit->selectedText(), "123");
}

TEST_F(CatchEditWidget, DecimalsAndDots)
{
    edit->SetCharacterClasses(kJxCatchDigits | kJxCatchDot);
    edit->SetMaxLength(8);
    edit->SetDecimals(2);
    QTest::keyClicks(edit, "3.14");
    EXPECT_EQ(edit->text(), "3.14");
    QTest::keyClick(edit, '1');
    EXPECT_EQ(edit->text(), "3.14");

    edit->clear();
    QTest::keyClicks(edit, "3.");
    edit->insert(".1");  // as a paste
    EXPECT_EQ(edit->text(), "3.");
    EXPECT_EQ(edit->selectedText(), "3.");
}

TEST_F(CatchEditWidget, ALongPasteRestoresThePreviousTextWhole)
{
    edit->SetCharacterClasses(kJxCatchDigits);
    edit->SetMaxLength(5);
    QTest::keyClicks(edit, "12");
    edit->insert("3456789");
    EXPECT_EQ(edit->text(), "12");
    EXPECT_EQ(edit->selectedText(), "12");
    edit->setCursorPosition(2);
    edit->insert("345");
    EXPECT_EQ(edit->text(), "12345");
}

TEST_F(CatchEditWidget, EnterEndsTheEditInsteadOfPressingTheDefaultButton)
{
    edit->SetCharacterClasses(kJxCatchDigits);
    edit->SetMaxLength(4);
    QSignalSpy finished(edit, &QLineEdit::editingFinished);
    QTest::keyClicks(edit, "42");
    edit->setCursorPosition(1);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(edit->EnterPressed());
    EXPECT_GE(finished.count(), 1);
    EXPECT_EQ(edit->selectedText(), "42");
    EXPECT_EQ(window.result(), 0);
    EXPECT_TRUE(window.isVisible());
}

class FolderPicker : public GuiTest {};

// Types a folder into the picker's name field, as the operator does.
// (QFileDialog::selectFile leaves the field alone while it has the focus.)
void TypeFolder(QFileDialog* picker, const QString& path)
{
    auto* edit = picker->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(path);
}

TEST_F(FolderPicker, AFolderThatDoesNotExistAsksFirst)
{
    std::filesystem::create_directories(dir.File("site/logs"));
    const QString missing = QString::fromStdString(dir.File("site/nowhere"));
    const QString logs = QString::fromStdString(dir.File("site/logs"));
    messages.answer = false;  // "No": the picker stays open
    bool stayedOpen = false;
    WhenShown<QFileDialog>([&](QFileDialog* picker) {
        EXPECT_EQ(picker->windowTitle(), "Select A Folder");
        TypeFolder(picker, missing);
        QMetaObject::invokeMethod(picker, "accept");
        stayedOpen = picker->isVisible();
        TypeFolder(picker, logs);
        QMetaObject::invokeMethod(picker, "accept");
    });
    CFolderDialog folder("Select A Folder", QString::fromStdString(dir.File("site")), nullptr,
                         kJxBrowseFileSystemOnly | kJxBrowseEditBox);
    EXPECT_EQ(folder.ChooseFolder(), CFolderDialog::kOk);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(folder.Path(), logs);
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"The path entered is not valid! Continue ?"});
}

TEST_F(FolderPicker, YesToTheQuestionEndsWithoutAFolder)
{
    messages.answer = true;
    const QString missing = QString::fromStdString(dir.File("nowhere"));
    WhenShown<QFileDialog>([&](QFileDialog* picker) {
        TypeFolder(picker, missing);
        QMetaObject::invokeMethod(picker, "accept");
    });
    CFolderDialog folder("Select A Folder", QString::fromStdString(dir.Path()), nullptr, 0x11);
    const int result = folder.ChooseFolder();
    EXPECT_NE(result, CFolderDialog::kOk);
    EXPECT_NE(result, CFolderDialog::kCancel);
    EXPECT_TRUE(folder.Path().isEmpty());
}

TEST_F(FolderPicker, CancelChoosesNothing)
{
    WhenShown<QFileDialog>([](QFileDialog* picker) { picker->reject(); });
    CFolderDialog folder("Select A Folder", "", nullptr, 0x11);
    const int result = folder.ChooseFolder();
    EXPECT_NE(result, CFolderDialog::kOk);
    EXPECT_NE(result, CFolderDialog::kCancel);
    EXPECT_TRUE(messages.Messages().empty());
}
}  // namespace
