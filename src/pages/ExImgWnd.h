#pragma once
// The replace picker: the images of the movie folder, one shown large; OK
// gives the main window's selected page the chosen image.

#include "editor/ToolWnd.h"

class QFrame;
class QPushButton;

namespace kinoleaf {

class PageListBox;
class PicMovieWnd;
class aicAlphaImage;

class ExImgWnd : public ToolWnd {
    Q_OBJECT
public:
    explicit ExImgWnd(PicMovieWnd* owner);

    QString imagePath;  // the folder whose images are offered

    PageListBox* ExImgList;
    aicAlphaImage* ExImgView;
    QPushButton* ExBtnOk;
    QPushButton* ExBtnCancle;
    QFrame* Shape1;

public slots:
    void ExImgList_Click();
    void ExBtnOk_Click();
    void ExBtnCancle_Click();

protected:
    void Form_Load() override;
    // Enter in the image list chooses, as OK does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ListFolderImages(const QString& folder);

    PicMovieWnd* m_wnd;
};

} // namespace kinoleaf
