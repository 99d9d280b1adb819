#include "platform/OutlineGridImageList.h"

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

QStringList OutlineGridImageList::treePictureKeys()
{
    return {QStringLiteral("Leaf"),          QStringLiteral("Subscriber"),  QStringLiteral("Handler"),
            QStringLiteral("Interviewer"),   QStringLiteral("AlphaDirectory"), QStringLiteral("InvalidLink"),
            QStringLiteral("Duplicate")};
}

OutlineGridImageList OutlineGridImageList::treePictures(int size)
{
    OutlineGridImageList list;
    for (const QString& key : treePictureKeys()) {
        QIcon icon;
        // Rendered ahead at fixed sizes, so painting a long tree never renders an SVG again.
        for (int scale = 1; scale <= 2; ++scale) {
            QImageReader reader(QStringLiteral(":/icons/%1.svg").arg(key));
            reader.setScaledSize(QSize(size * scale, size * scale));
            const QImage image = reader.read();
            if (!image.isNull())
                icon.addPixmap(QPixmap::fromImage(image));
        }
        if (!icon.isNull())
            list.add(key, icon);
    }
    return list;
}
