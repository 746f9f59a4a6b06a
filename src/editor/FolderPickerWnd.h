#pragma once
// The folder pickers the tools end with (a selection result's copy, an
// episode, a downloaded story): one class, configured per use, each with its
// new-folder dialog. Opening disables the owner; closing, however it
// happens, enables it again.

#include "editor/ToolWnd.h"

#include <functional>

class QLabel;
class QPushButton;

namespace kinoleaf {

class DirListBox;
class DriveListBox;
class NewFolderWnd;

class FolderPickerWnd : public ToolWnd {
    Q_OBJECT
public:
    enum class Kind {
        SaveAs,          // "另存为...", the selection result's copy
        VolSaveTo,       // "生成剧集到...", an episode
        ServerDownSave,  // "影片存储到...", a downloaded story
    };
    // What 存 储 starts, with the picker (which it may disable meanwhile)
    // and the chosen folder; the picker closes when it returns.
    using Operation = std::function<void(FolderPickerWnd& picker, const QString& folder)>;

    FolderPickerWnd(Kind kind, QWidget* owner, Operation operation);
    ~FolderPickerWnd() override;

    // Shows the picker at a folder (the user's home folder when empty or
    // gone), its drive list on the volume that holds it.
    void openAt(const QString& folder);
    NewFolderWnd* newFolderWnd() const { return m_newFolder; }
    // For the operation: the picker stays open when it returns, so the user
    // can pick another folder (one the operation refused).
    void stayOpen() { m_stayOpen = true; }

    DriveListBox* DriveList;
    DirListBox* DirList;
    QPushButton* BtnNewFile;
    QPushButton* BtnOk;
    QPushButton* BtnCancel;
    QLabel* LabelTitle;

public slots:
    void DriveList_Change();
    void BtnNewFile_Click();
    void BtnOk_Click();
    void BtnCancel_Click();

protected:
    bool Form_Unload() override;
    QSize sizeHint() const override;

private:
    Operation m_operation;
    NewFolderWnd* m_newFolder;
    bool m_stayOpen = false;
};

} // namespace kinoleaf
