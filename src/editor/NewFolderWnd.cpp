#include "editor/NewFolderWnd.h"

#include "editor/FolderPickerWnd.h"

namespace kinoleaf {

NewFolderWnd::NewFolderWnd(FolderPickerWnd* picker, const QString& objectName)
    : ToolWnd(picker, true), LabelTitle(nullptr), TextFileName(nullptr), BtnOk(nullptr), BtnCancel(nullptr),
      m_picker(picker) {
    setObjectName(objectName);
}

void NewFolderWnd::TextFileName_LostFocus() {}
void NewFolderWnd::BtnOk_Click() {}
void NewFolderWnd::BtnCancel_Click() {}

} // namespace kinoleaf
