#pragma once
// The episode window: a snapshot of the movie's rows; the selected ones go,
// images and script, into a folder chosen in the picker.

#include "editor/ToolWnd.h"

#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kinoleaf {

class FolderPickerWnd;
class PageListBox;
class PicMovieWnd;
class aicAlphaImage;

class WndMovieCutVol : public ToolWnd {
    Q_OBJECT
public:
    // Beside the main window, which stays usable.
    explicit WndMovieCutVol(PicMovieWnd* owner);
    ~WndMovieCutVol() override;

    // The rows as they are now; later edits in the main window don't reach them.
    void LoadRows(const QStringList& rows);
    FolderPickerWnd* picker() const { return m_picker; }
    QSize sizeHint() const override { return {860, 560}; }

    PageListBox* ListSrc;
    aicAlphaImage* ImgShow;
    QPlainTextEdit* IntroShow;
    QLabel* LabelSelCount;
    QPushButton* BtnSaveTo;
    QPushButton* BtnCancel;

public slots:
    void ListSrc_Click();
    void BtnSaveTo_Click();
    void BtnCancel_Click();

private:
    void GenerateEpisode(FolderPickerWnd& picker, const QString& target);
    void showSelectedCount();
    QStringList selectedRows() const;

    PicMovieWnd* m_wnd;
    QString m_folder;                     // the movie the rows were taken from
    FolderPickerWnd* m_picker = nullptr;  // WndVolSaveTo, made at its first use
};

} // namespace kinoleaf
