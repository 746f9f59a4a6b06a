#pragma once
// The selection result: the kept rows with a preview, saved in place (the
// other images move into delete_image) or as a copy in another folder.

#include "editor/ToolWnd.h"

#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kinoleaf {

class FolderPickerWnd;
class PageListBox;
class PicMovieWnd;
class SmartCutWnd;
class aicAlphaImage;

class SmartCutResultWnd : public ToolWnd {
    Q_OBJECT
public:
    // Shown beside the selection window, which stays usable.
    SmartCutResultWnd(PicMovieWnd* main, SmartCutWnd* selection);

    // For the run: empties ListCut; then the kept rows, in order, and the
    // window shown (not modal) with row 0 current; then the log line.
    void clearRows();
    void showResult(const QStringList& rows);
    void setLog(const QString& log);
    QStringList rows() const;

    // Copies the kept images into the folder chosen in the picker.
    void SaveToNewFilePath(const QString& file_path);

    PageListBox* ListCut;
    aicAlphaImage* ImgCut;
    QPlainTextEdit* IntroCut;
    QLabel* LabelCutLog;
    QPushButton* BtnSaveDel;
    QPushButton* BtnSaveAs;
    QPushButton* BtnCancel;

public slots:
    void ListCut_Click();
    void BtnSaveDel_Click();
    void BtnSaveAs_Click();
    void BtnCancel_Click();

private:
    PicMovieWnd* m_wnd;
    SmartCutWnd* m_selection;
    FolderPickerWnd* m_picker = nullptr;  // SaveAsWnd, made at its first use
};

} // namespace kinoleaf
