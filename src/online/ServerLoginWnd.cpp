#include "online/ServerLoginWnd.h"

#include "editor/PicMovieWnd.h"
#include "online/ServerMovieListWnd.h"
#include "online/http_exchange.h"
#include "online/online_logic.h"
#include "platform/date_text.h"
#include "platform/dialogs.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kinoleaf {

ServerLoginWnd::ServerLoginWnd(PicMovieWnd* owner) : ToolWnd(owner, true), m_wnd(owner) {
    setObjectName(QStringLiteral("ServerLoginWnd"));
    setWindowTitle(QStringLiteral("用户登录"));

    auto label = [this](QLabel*& l, const char* name, const QString& caption, QWidget* parent) {
        l = new QLabel(caption, parent);
        l->setObjectName(QLatin1String(name));
    };
    auto textBox = [this](QLineEdit*& t, const char* name) {
        t = new QLineEdit(this);
        t->setObjectName(QLatin1String(name));
        t->setMinimumWidth(200);
    };
    label(Label4, "Label4", QStringLiteral("欢迎来到 Quillhall (=^ω^=)"), this);
    QFont song = Label4->font();
    // 宋体 where it is installed; otherwise the first CJK font there is.
    song.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    song.setPointSizeF(song.pointSizeF() * 1.3);
    Label4->setFont(song);
    label(Label1, "Label1", QStringLiteral("用户名："), this);
    textBox(TextUserId, "TextUserId");
    label(Label2, "Label2", QStringLiteral("密 码："), this);
    textBox(TextUserPwd, "TextUserPwd");
    TextUserPwd->setEchoMode(QLineEdit::Password);
    // Shown as "*", whatever the style's own password character.
    TextUserPwd->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    label(Label3, "Label3",
          QStringLiteral("注意：该功能仅对Kinoleaf认证小编开放，暂未\n"
                         "开放注册，如果需要开通账户获取认证，请联系\n"
                         "kinoleaf@example.com\n"),
          Frame1);
    Label3->setTextInteractionFlags(Qt::TextSelectableByMouse);  // the address can be copied
    BtnOk = makeButton(this, "BtnOk", QStringLiteral("登 录"), {88, 30});
    BtnCancel = makeButton(this, "BtnCancel", QStringLiteral("取 消"), {88, 30});
    BtnOk->setDefault(true);

    auto* fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(TextUserId, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(TextUserPwd, 1, 1);
    auto* notice = new QVBoxLayout(Frame1);
    notice->addWidget(Label3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    auto* all = new QVBoxLayout(this);
    all->addWidget(Label4, 0, Qt::AlignHCenter);
    all->addLayout(fields);
    all->addWidget(Frame1);
    all->addLayout(buttons);

    connect(BtnOk, &QPushButton::clicked, this, &ServerLoginWnd::BtnOk_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &ServerLoginWnd::BtnCancel_Click);
    // Enter in either box logs in, as the default button would in a dialog.
    connect(TextUserId, &QLineEdit::returnPressed, this, &ServerLoginWnd::BtnOk_Click);
    connect(TextUserPwd, &QLineEdit::returnPressed, this, &ServerLoginWnd::BtnOk_Click);
}

void ServerLoginWnd::BtnCancel_Click() { close(); }

void ServerLoginWnd::BtnOk_Click() {
    if (TextUserId->text().isEmpty()) {
        dialogs().message(QStringLiteral("用户名不能为空哟~"));
        return;
    }
    if (TextUserPwd->text().isEmpty()) {
        dialogs().message(QStringLiteral("密码不能为空哟~"));
        return;
    }
    UserLogin(TextUserId->text(), TextUserPwd->text());
}

void ServerLoginWnd::UserLogin(const QString& user_id, const QString& user_pwd) {
    const online::Exchange reply = online::PostForm(online::kSigninPath, online::loginBody(user_id, user_pwd));
    if (!reply.error.isEmpty()) {
        dialogs().message(online::kConnectFailed + reply.error, MsgIcon::Exclamation);
        return;
    }
    if (online::statusOf(reply.root) != online::ReplyStatus::Success) {
        dialogs().message(QStringLiteral("用户名或密码错，登陆失败鸟>_<!"));
        return;
    }
    login_UserName = user_id;
    // Nothing needs it any more; the name stays for the next login.
    TextUserPwd->clear();
    ServerMovieListWnd* list = m_wnd->movieListWnd();
    list->LabelWelcomeMsg->setText(QStringLiteral("欢迎回来~！") + user_id + QStringLiteral("，今天是") +
                                   shortDateText(today()));
    list->showCentred();
    close();
}

} // namespace kinoleaf
