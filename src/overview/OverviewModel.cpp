#include "overview/OverviewModel.h"

#include "model/page_row.h"
#include "overview/thumbnail_provider.h"

#include <QMimeData>

namespace kinoleaf {

OverviewModel::OverviewModel(ThumbnailProvider* thumbs, std::function<QString()> folder, QObject* parent)
    : QIdentityProxyModel(parent), m_thumbs(thumbs), m_folder(std::move(folder)) {}

QString OverviewModel::imagePath(int row) const {
    if (row < 0 || row >= rowCount()) return {};
    const QString name = imageNameOfRow(QIdentityProxyModel::data(index(row, 0), Qt::DisplayRole).toString());
    const QString folder = m_folder ? m_folder() : QString();
    if (name.isEmpty() || folder.isEmpty()) return {};
    return folder + QLatin1Char('/') + name;
}

QVariant OverviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
    case PageNumberRole:
        return index.row() + 1;
    case IntroRole: {
        QString intro = introOfRow(QIdentityProxyModel::data(index, Qt::DisplayRole).toString()).simplified();
        if (intro.size() > kIntroChars) intro = intro.left(kIntroChars - 1) + QChar(0x2026);
        return intro;
    }
    case ImagePathRole:
        return imagePath(index.row());
    case ThumbStateRole:
    case Qt::DecorationRole: {
        const Thumbnail* thumb = m_thumbs ? m_thumbs->cached(imagePath(index.row())) : nullptr;
        if (role == ThumbStateRole) return thumb ? int(thumb->state) : -1;
        return thumb && thumb->state == Thumbnail::Ready ? QVariant(thumb->image) : QVariant();
    }
    case Qt::ToolTipRole:
        return QIdentityProxyModel::data(index, Qt::DisplayRole);
    default:
        return QIdentityProxyModel::data(index, role);
    }
}

Qt::ItemFlags OverviewModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags f = QIdentityProxyModel::flags(index);
    return index.isValid() ? f | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled : f | Qt::ItemIsDropEnabled;
}

QStringList OverviewModel::mimeTypes() const { return {QString::fromLatin1(kMimeType)}; }

QMimeData* OverviewModel::mimeData(const QModelIndexList& indexes) const {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kMimeType), QByteArray::number(indexes.size()));
    return data;
}

bool OverviewModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const {
    return data && data->hasFormat(QString::fromLatin1(kMimeType));
}

} // namespace kinoleaf
