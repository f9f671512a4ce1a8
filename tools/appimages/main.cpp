// tm_appimages OUTPUT_DIR: writes the program's pictures into
// OUTPUT_DIR/images and the speaking animation into OUTPUT_DIR/an.cra.
#include <QDir>
#include <cstdio>

#include "app/PictureFiles.h"
#include "tools/appimages/AppPictures.h"
#include "tools/appimages/GifWriter.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tm_appimages OUTPUT_DIR\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString images = out + "/" + pictures::kFolder;
  if (!QDir().mkpath(images)) {
    std::fprintf(stderr, "tm_appimages: cannot create %s\n", images.toLocal8Bit().constData());
    return 1;
  }
  for (const pictures::File& file : pictures::kFiles) {
    const QString path = images + "/" + file.name;
    if (!appimages::DrawPicture(file.id).save(path, "PNG")) {
      std::fprintf(stderr, "tm_appimages: cannot write %s\n", path.toLocal8Bit().constData());
      return 1;
    }
  }
  const QString animation = out + "/" + pictures::kAnimation;
  if (!appimages::WriteAnimatedGif(animation, appimages::DrawAnimation(),
                                   appimages::kAnimationDelayCs)) {
    std::fprintf(stderr, "tm_appimages: cannot write %s\n", animation.toLocal8Bit().constData());
    return 1;
  }
  return 0;
}
