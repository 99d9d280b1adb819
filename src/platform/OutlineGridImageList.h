#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>

// Pictures by key for the outline grid's cells, the way the main window's image list served
// them to the tree.
class OutlineGridImageList {
public:
    void add(const QString& key, const QIcon& icon);
    bool contains(const QString& key) const { return m_icons.contains(key); }
    QIcon icon(const QString& key) const; // null for a key the list does not hold
    QStringList keys() const;

    // The keys of the call-flow tree's pictures.
    static QStringList treePictureKeys();
    // The call-flow tree's pictures, drawn from the SVG files compiled in under ":/icons/",
    // rendered once at the given size (and at twice it for high-dpi screens). A picture that
    // cannot be read is left out; its rows then show no picture.
    static OutlineGridImageList treePictures(int size = 16);

private:
    QHash<QString, QIcon> m_icons;
};
