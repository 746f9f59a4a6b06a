#include "selection/SmartCutResultWnd.h"

#include "editor/PicMovieWnd.h"
#include "selection/SmartCutWnd.h"

namespace kinoleaf {

SmartCutResultWnd::SmartCutResultWnd(PicMovieWnd* main, SmartCutWnd* selection)
    : ToolWnd(selection, false), ListCut(nullptr), ImgCut(nullptr), IntroCut(nullptr), LabelCutLog(nullptr),
      BtnSaveDel(nullptr), BtnSaveAs(nullptr), BtnCancel(nullptr), m_wnd(main), m_selection(selection) {}

void SmartCutResultWnd::clearRows() {}
void SmartCutResultWnd::showResult(const QStringList&) {}
void SmartCutResultWnd::setLog(const QString&) {}
QStringList SmartCutResultWnd::rows() const { return {}; }
void SmartCutResultWnd::SaveToNewFilePath(const QString&) {}
void SmartCutResultWnd::ListCut_Click() {}
void SmartCutResultWnd::BtnSaveDel_Click() {}
void SmartCutResultWnd::BtnSaveAs_Click() {}
void SmartCutResultWnd::BtnCancel_Click() {}

} // namespace kinoleaf
