#include "tree/TreePictures.h"

#include "tree/TreeRowModel.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(TreePictures, EveryNodeTypeHasAPaintedPicture)
{
    const OutlineGridImageList pictures = treePictures();
    ASSERT_EQ(pictures.keys(),
              QStringList({"AlphaDirectory", "Duplicate", "Handler", "Interviewer", "InvalidLink", "Leaf", "Subscriber"}))
        << "the tree's SVG pictures are not built in, or SVG images cannot be read";
    for (const QString& key : pictures.keys()) {
        const QImage image = pictures.icon(key).pixmap(16, 16).toImage();
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                painted += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        EXPECT_GT(painted, 40) << qPrintable(key);
    }
    using namespace TreeNodeType;
    for (qint16 type :
         {Leaf, Subscriber, CallHandler, Interviewer, DirectoryHandler, InvalidLink, DuplicateHandler, DuplicateSubscriber})
        EXPECT_TRUE(pictures.contains(treePictureKey(type))) << type;
    EXPECT_TRUE(treePictureKey(2).isEmpty()) << "a distribution list has no row picture";
}

} // namespace
