#pragma once
// The main window's page rows as the overview shows them: the same model
// seen through, no copy, with each page's number, intro start, picture path
// and thumbnail added. Every change of the rows reaches the overview as the
// change it is (a row inserted, removed, renamed), not as a new list.

#include <QIdentityProxyModel>

#include <functional>

namespace kinoleaf {

class ThumbnailProvider;

class OverviewModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    enum Role {
        PageNumberRole = Qt::UserRole + 1,  // 1-based
        IntroRole,                          // the intro's start, one line; "" for none
        ImagePathRole,                      // the picture's path in the folder
        ThumbStateRole,                     // Thumbnail::State, or -1 while not made yet
    };
    static constexpr int kIntroChars = 40;
    static inline const char* kMimeType = "application/x-kinoleaf-pages";

    // folder tells the movie's folder as it is now: loading another movie
    // changes it without a signal of its own.
    OverviewModel(ThumbnailProvider* thumbs, std::function<QString()> folder, QObject* parent = nullptr);

    QString imagePath(int row) const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Dragged pages say only that they are pages of this view: the move
    // itself is the view's, through the main window's rows.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    // The drop is taken as a copy, so the view never removes the dragged rows
    // itself; the move goes through the main window.
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction | Qt::CopyAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction | Qt::CopyAction; }
    // Rows change only through the main window's row operations.
    bool removeRows(int, int, const QModelIndex& = {}) override { return false; }
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData*, Qt::DropAction, int, int, const QModelIndex&) override { return false; }

private:
    ThumbnailProvider* m_thumbs;
    std::function<QString()> m_folder;
};

} // namespace kinoleaf
