#pragma once
// Reordering: pages selected on the left move, keeping their order, to
// right after the page chosen on the right; the right list is the order
// being built, and applying makes it the page list.

#include "editor/ToolWnd.h"

#include <QStringList>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kinoleaf {

class aicAlphaImage;
class PageListBox;
class PicMovieWnd;

class ImgSortWnd : public ToolWnd {
    Q_OBJECT
public:
    explicit ImgSortWnd(PicMovieWnd* owner);

    // Fills both lists and shows their first row; on the right it is the
    // chosen position, on the left nothing is selected.
    void LoadRows(const QStringList& rows);
    QStringList rows() const;  // the order being built
    bool changed() const { return listChanged; }
    QSize sizeHint() const override;

    PageListBox* ListImgSrc;
    PageListBox* ListImgInsert;
    QPushButton* BtnInsert;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
    aicAlphaImage* ImgSrcShow;
    aicAlphaImage* ImgInsertShow;
    QPlainTextEdit* IntroSrcShow;
    QPlainTextEdit* IntroInsertShow;
    QLabel* Label1;
    QFrame* Line1;
    QFrame* Line2;
    QFrame* Shape1;
    QFrame* Shape2;

public slots:
    void ListImgSrc_Click();
    void ListImgInsert_Click();
    void BtnInsert_Click();
    void BtnOK_Click();
    void BtnCancel_Click();

protected:
    void Form_Load() override;
    bool Form_Unload() override;

private:
    void ApplyOrder();
    // Makes a row of the left list the current one and shows it, leaving
    // it unselected: only rows the user selects move.
    void showSourceRow(int row);

    PicMovieWnd* m_wnd;
    bool listChanged = false;  // the order was changed and not yet applied
};

} // namespace kinoleaf
