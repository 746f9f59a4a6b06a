#pragma once
// The login to the online service. Only the user name is kept: every later
// request carries it, and nothing else authenticates.

#include "editor/ToolWnd.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kinoleaf {

class PicMovieWnd;

class ServerLoginWnd : public ToolWnd {
    Q_OBJECT
public:
    // Disables the main window while it is open.
    explicit ServerLoginWnd(PicMovieWnd* owner);

    // "" while nobody is logged in; kept while the window is closed.
    QString login_UserName;

    // Logs in with the texts as typed: on success the movie list window
    // opens with its welcome line and this one closes; otherwise it stays
    // open with its texts.
    void UserLogin(const QString& user_id, const QString& user_pwd);

    QLabel* Label1;
    QLineEdit* TextUserId;
    QLabel* Label2;
    QLineEdit* TextUserPwd;
    QLabel* Label4;
    QGroupBox* Frame1;
    QLabel* Label3;
    QPushButton* BtnOk;
    QPushButton* BtnCancel;

public slots:
    void BtnOk_Click();
    void BtnCancel_Click();

private:
    PicMovieWnd* m_wnd;
};

} // namespace kinoleaf
