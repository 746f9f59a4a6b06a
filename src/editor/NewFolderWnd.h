#pragma once
// The new-folder dialog of a folder picker: a name, checked for characters
// no folder name may hold, made under the picker's current folder, which
// then moves into it.

#include "editor/ToolWnd.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kinoleaf {

class FolderPickerWnd;

class NewFolderWnd : public ToolWnd {
    Q_OBJECT
public:
    // objectName: "NewFileWnd", "VolNewFileWnd" or "ServerNewFileWnd".
    NewFolderWnd(FolderPickerWnd* picker, const QString& objectName);

    QLabel* LabelTitle;
    QLineEdit* TextFileName;
    QPushButton* BtnOk;
    QPushButton* BtnCancel;

public slots:
    void TextFileName_LostFocus();
    void BtnOk_Click();
    void BtnCancel_Click();

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The name had a forbidden character: says which ones, empties the box
    // and puts the focus back. False when the name is fine.
    bool rejectForbiddenName();
    void askAgain();

    FolderPickerWnd* m_picker;
};

} // namespace kinoleaf
