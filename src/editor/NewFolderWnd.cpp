#include "editor/NewFolderWnd.h"

#include "editor/FolderPickerWnd.h"
#include "platform/dialogs.h"
#include "platform/dir_list_box.h"
#include "platform/file_errors.h"
#include "platform/file_helpers.h"

#include <QBoxLayout>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cerrno>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kinoleaf {
namespace {

// The characters no folder name may hold on the system the movies are
// made for.
bool hasForbiddenCharacter(const QString& name) {
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name)
        if (forbidden.contains(c)) return true;
    return false;
}

} // namespace

NewFolderWnd::NewFolderWnd(FolderPickerWnd* picker, const QString& objectName)
    : ToolWnd(picker, true), m_picker(picker) {
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("新建文件夹"));

    LabelTitle = new QLabel(QStringLiteral("请输入文件夹名称："), this);
    LabelTitle->setObjectName(QStringLiteral("LabelTitle"));
    TextFileName = new QLineEdit(this);
    TextFileName->setObjectName(QStringLiteral("TextFileName"));
    TextFileName->setMinimumWidth(260);
    BtnOk = makeButton(this, "BtnOk", QStringLiteral("确 定"), {80, 28});
    BtnCancel = makeButton(this, "BtnCancel", QStringLiteral("取 消"), {80, 28});
    // A click leaves the focus in the name box: 确 定 checks the name itself,
    // and one bad name gets one message, not a second one about the emptied box.
    for (QPushButton* b : {BtnOk, BtnCancel}) b->setFocusPolicy(Qt::TabFocus);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    auto* all = new QVBoxLayout(this);
    all->addWidget(LabelTitle);
    all->addWidget(TextFileName);
    all->addLayout(buttons);

    TextFileName->installEventFilter(this);
    connect(TextFileName, &QLineEdit::returnPressed, this, &NewFolderWnd::BtnOk_Click);
    connect(BtnOk, &QPushButton::clicked, this, &NewFolderWnd::BtnOk_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &NewFolderWnd::BtnCancel_Click);
}

void NewFolderWnd::Form_Load() { TextFileName->setFocus(); }

bool NewFolderWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TextFileName && event->type() == QEvent::FocusOut) {
        // Only a move to another control of this window: not another window
        // coming to the front (the message box among them), nor closing.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (isVisible() && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason)
            TextFileName_LostFocus();
    }
    return ToolWnd::eventFilter(watched, event);
}

void NewFolderWnd::TextFileName_LostFocus() { rejectForbiddenName(); }

bool NewFolderWnd::rejectForbiddenName() {
    if (!hasForbiddenCharacter(TextFileName->text())) return false;
    dialogs().message(QStringLiteral("文件夹名称中不能含有：\\ / : * ? < > | \""));
    askAgain();
    return true;
}

void NewFolderWnd::askAgain() {
    TextFileName->clear();
    TextFileName->setFocus();
}

void NewFolderWnd::BtnOk_Click() {
    if (rejectForbiddenName()) return;
    const QString name = TextFileName->text();
    // An empty name leaves the picker's own folder, which exists.
    const QString path = joinPath(m_picker->DirList->path(), name);
    const QFileInfo there(path);
    int error = 0;
    if (!there.exists() && !there.isSymLink()) {
        errno = 0;
#ifdef Q_OS_UNIX
        const bool made = ::mkdir(QFile::encodeName(path).constData(), 0777) == 0;
#else
        const bool made = QDir().mkdir(path);
#endif
        if (made) {
            if (!m_picker->DirList->setPath(path, false)) m_picker->DirList->refresh();
            close();
            return;
        }
        error = errno;
    }
    if (error == 0 || error == EEXIST) {
        dialogs().message(QStringLiteral("文件夹：") + name + QStringLiteral(" 已经存在！"));
        askAgain();
        return;
    }
    // No rights, a read-only disk, a name the file system refuses: the name
    // stays to be corrected.
    dialogs().message(QStringLiteral("无法新建文件夹“%1”：%2").arg(name, fileErrorReason(error)),
                      MsgIcon::Exclamation);
    TextFileName->setFocus();
}

void NewFolderWnd::BtnCancel_Click() { close(); }

} // namespace kinoleaf
