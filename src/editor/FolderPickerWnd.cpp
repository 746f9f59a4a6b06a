#include "editor/FolderPickerWnd.h"

#include "editor/NewFolderWnd.h"

namespace kinoleaf {

FolderPickerWnd::FolderPickerWnd(Kind, QWidget* owner, Operation operation)
    : ToolWnd(owner, true), DriveList(nullptr), DirList(nullptr), BtnNewFile(nullptr), BtnOk(nullptr),
      BtnCancel(nullptr), LabelTitle(nullptr), m_operation(std::move(operation)), m_newFolder(nullptr) {}

void FolderPickerWnd::openAt(const QString&) {}
void FolderPickerWnd::DriveList_Change() {}
void FolderPickerWnd::BtnNewFile_Click() {}
void FolderPickerWnd::BtnOk_Click() {}
void FolderPickerWnd::BtnCancel_Click() {}

} // namespace kinoleaf
