#pragma once
// Batch deletion: the user removes many pages from a copy of the rows; on
// applying, the copy becomes the page list and every image no remaining
// row shows moves into "delete_image".

#include "editor/ToolWnd.h"

#include <QStringList>

class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace kinoleaf {

class aicAlphaImage;
class PageListBox;
class PicMovieWnd;

class WndDelPages : public ToolWnd {
    Q_OBJECT
public:
    explicit WndDelPages(PicMovieWnd* owner);
    ~WndDelPages() override;

    // Fills the copy and shows its first row, selected.
    void LoadRows(const QStringList& rows);
    QStringList rows() const;
    bool changed() const { return listChanged; }
    QSize sizeHint() const override;

    PageListBox* ListSrc;
    aicAlphaImage* ImgShow;
    QPlainTextEdit* IntroShow;
    QPushButton* BtnDelSel;
    QPushButton* BtnOk;
    QPushButton* BtnCancel;
    QFrame* Shape1;

signals:
    // While applying: a page row of the main list is about to be looked
    // up, its progress on view.
    void rowExamined(int row);

public slots:
    void ListSrc_Click();
    void BtnDelSel_Click();
    void BtnOk_Click();
    void BtnCancel_Click();

protected:
    void Form_Load() override;
    bool Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key was the window's (D): it goes no further.
    bool Form_KeyDown(int keyCode);
    void RemoveSelectedRows();
    // False when the folder refused it: nothing changed.
    bool ApplyDeletion();

    PicMovieWnd* m_wnd;
    bool listChanged = false;  // the copy differs from the list it came from
};

} // namespace kinoleaf
