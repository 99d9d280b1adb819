#include "widgets/OutlineGridImageList.h"

#include <QImage>
#include <QImageReader>
#include <QPixmap>

void OutlineGridImageList::add(const QString& key, const QIcon& icon)
{
    m_icons.insert(key, icon);
}

QIcon OutlineGridImageList::icon(const QString& key) const
{
    return m_icons.value(key);
}

QStringList OutlineGridImageList::keys() const
{
    QStringList keys = m_icons.keys();
    keys.sort();
    return keys;
}

bool OutlineGridImageList::addSvg(const QString& key, const QString& path, int size)
{
    QIcon icon;
    for (int scale = 1; scale <= 2; ++scale) {
        QImageReader reader(path);
        reader.setScaledSize(QSize(size * scale, size * scale));
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    if (icon.isNull())
        return false;
    add(key, icon);
    return true;
}
