#include "editor/FolderPickerWnd.h"

#include "editor/NewFolderWnd.h"
#include "editor/legacy_name_repair.h"
#include "platform/dialogs.h"
#include "platform/dir_list_box.h"
#include "platform/drive_list_box.h"

#include <QBoxLayout>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kinoleaf {
namespace {

struct PickerTexts {
    const char* objectName;
    QString caption;
    QString title;
    const char* dialogName;
};

PickerTexts textsOf(FolderPickerWnd::Kind kind) {
    switch (kind) {
    case FolderPickerWnd::Kind::SaveAs:
        return {"SaveAsWnd", QStringLiteral("另存为..."), QStringLiteral("另存筛选图片到："), "NewFileWnd"};
    case FolderPickerWnd::Kind::VolSaveTo:
        return {"WndVolSaveTo", QStringLiteral("生成剧集到..."), QStringLiteral("另存剧集图片到："),
                "VolNewFileWnd"};
    case FolderPickerWnd::Kind::ServerDownSave:
        break;
    }
    return {"ServerDownSaveWnd", QStringLiteral("影片存储到..."), QStringLiteral("影片下载到："),
            "ServerNewFileWnd"};
}

} // namespace

FolderPickerWnd::FolderPickerWnd(Kind kind, QWidget* owner, Operation operation)
    : ToolWnd(owner, true), m_operation(std::move(operation)) {
    const PickerTexts texts = textsOf(kind);
    setObjectName(QLatin1String(texts.objectName));
    setWindowTitle(texts.caption);

    LabelTitle = new QLabel(texts.title, this);
    LabelTitle->setObjectName(QStringLiteral("LabelTitle"));
    QFont song = LabelTitle->font();
    // 宋体 where it is installed; otherwise the first CJK font there is.
    song.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    LabelTitle->setFont(song);
    DriveList = new DriveListBox(this);
    DriveList->setObjectName(QStringLiteral("DriveList"));
    DirList = new DirListBox(this);
    DirList->setObjectName(QStringLiteral("DirList"));
    BtnNewFile = makeButton(this, "BtnNewFile", QStringLiteral("新建文件夹"), {88, 30});
    BtnOk = makeButton(this, "BtnOk", QStringLiteral("存 储"), {88, 30});
    BtnCancel = makeButton(this, "BtnCancel", QStringLiteral("取 消"), {88, 30});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnNewFile);
    buttons->addStretch(1);
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    auto* all = new QVBoxLayout(this);
    all->addWidget(LabelTitle);
    all->addWidget(DriveList);
    all->addWidget(DirList, 1);
    all->addLayout(buttons);

    m_newFolder = new NewFolderWnd(this, QLatin1String(texts.dialogName));

    connect(DriveList, &DriveListBox::Change, this, &FolderPickerWnd::DriveList_Change);
    // A folder named on Chinese Windows opens only under its proper name,
    // as in the main window.
    connect(DirList, &DirListBox::legacyFolderActivated, this,
            [this](const QString& parent, const QByteArray& raw, const QString& decoded) {
                const QString renamed = offerLegacyFolderRename(parent, raw, decoded);
                if (renamed.isEmpty()) return;
                DirList->refresh();
                DirList->setPath(renamed, false);
            });
    connect(BtnNewFile, &QPushButton::clicked, this, &FolderPickerWnd::BtnNewFile_Click);
    connect(BtnOk, &QPushButton::clicked, this, &FolderPickerWnd::BtnOk_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &FolderPickerWnd::BtnCancel_Click);
}

FolderPickerWnd::~FolderPickerWnd() { delete m_newFolder; }

QSize FolderPickerWnd::sizeHint() const { return {420, 480}; }

void FolderPickerWnd::openAt(const QString& folder) {
    const QString before = DirList->path();
    // A folder list can't show "" or a folder that went away: home instead.
    bool there = DirList->setPath(folder, false);
    if (!there) there = DirList->setPath(QDir::homePath(), false);
    // Folders made or removed since the picker last showed this one.
    if (there && DirList->path() == before) DirList->refresh();
    DriveList->setDrive(DirList->path());
    if (isVisible()) bringToFront();
    else showCentred();
}

void FolderPickerWnd::DriveList_Change() {
    const QString picked = DriveList->drive();
    const bool moved = DirList->setPath(DirList->currentFolderOn(picked), false);
    // When the folder list could not follow, the drive could not be read:
    // say so, then put the drive list back where the folder list is.
    const QString at = DirList->path();
    const bool onPicked = at == picked || at.startsWith(picked.endsWith(u'/') ? picked : picked + u'/');
    if (!moved || !onPicked) dialogs().message(QStringLiteral("O_O 设备无法读取咧"));
    DriveList->setDrive(DirList->path());
}

void FolderPickerWnd::BtnNewFile_Click() {
    m_newFolder->TextFileName->clear();
    m_newFolder->showCentred();  // disables the picker until it closes
}

void FolderPickerWnd::BtnOk_Click() {
    m_stayOpen = false;
    const QString folder = DirList->path();
    if (m_operation) m_operation(*this, folder);
    if (!m_stayOpen) close();
}

void FolderPickerWnd::BtnCancel_Click() { close(); }

bool FolderPickerWnd::Form_Unload() {
    // A window manager may close the picker while its dialog disables it:
    // the dialog goes with it.
    if (m_newFolder->isVisible()) m_newFolder->close();
    return true;
}

} // namespace kinoleaf
