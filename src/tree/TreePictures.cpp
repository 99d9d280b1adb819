#include "tree/TreePictures.h"

#include "tree/TreeRowModel.h"

#include <array>
#include <utility>

namespace {

const std::array<std::pair<qint16, const char*>, 8> kPictures = {{
    {TreeNodeType::Leaf, "Leaf"},
    {TreeNodeType::Subscriber, "Subscriber"},
    {TreeNodeType::CallHandler, "Handler"},
    {TreeNodeType::Interviewer, "Interviewer"},
    {TreeNodeType::DirectoryHandler, "AlphaDirectory"},
    {TreeNodeType::InvalidLink, "InvalidLink"},
    {TreeNodeType::DuplicateHandler, "Duplicate"},
    {TreeNodeType::DuplicateSubscriber, "Duplicate"},
}};

} // namespace

QString treePictureKey(qint16 nodeType)
{
    for (const auto& [type, key] : kPictures)
        if (type == nodeType)
            return QString::fromLatin1(key);
    return QString();
}

QStringList treePictureKeys()
{
    QStringList keys;
    for (const auto& picture : kPictures)
        if (!keys.contains(QLatin1String(picture.second)))
            keys << QString::fromLatin1(picture.second);
    return keys;
}

OutlineGridImageList treePictures(int size)
{
    // The pictures live in this library; a static library's resources register only when asked.
    Q_INIT_RESOURCE(icons);
    OutlineGridImageList list;
    for (const QString& key : treePictureKeys())
        list.addSvg(key, QStringLiteral(":/icons/%1.svg").arg(key), size);
    return list;
}
