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
    ~SmartCutResultWnd() override;

    // For the run: empties ListCut; then the kept rows, in order, and the
    // window shown (not modal) with row 0 current; then the log line.
    void clearRows();
    void showResult(const QStringList& rows);
    void setLog(const QString& log);
    QStringList rows() const;

    // Copies the kept images into the folder chosen in the picker. The
    // movie's own folder is refused before anything is copied; images that
    // are missing or fail to copy are named afterwards and not counted.
    void SaveToNewFilePath(const QString& file_path);
    FolderPickerWnd* saveAsWnd() const { return m_picker; }

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

protected:
    QSize sizeHint() const override;

private:
    // The main window may have opened another movie since the run (once the
    // selection window is closed): its images must not be judged by this
    // result. Says so when it has.
    bool stillSameMovie() const;
    // False when the folder was refused (nothing copied, window unchanged).
    bool saveCopyTo(const QString& folder);
    // The end of either save: the selection window goes (which enables the
    // main window), the message (and what went wrong, if anything), then
    // this window.
    void finishSave(const QString& message, const QString& problems = {});

    PicMovieWnd* m_wnd;
    SmartCutWnd* m_selection;
    QString m_folder;  // the movie folder the shown rows come from
    FolderPickerWnd* m_picker = nullptr;  // SaveAsWnd, made at its first use
};

} // namespace kinoleaf
