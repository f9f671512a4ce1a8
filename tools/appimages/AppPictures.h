// The program's pictures, drawn from shapes (no fonts, no files): the
// picture buttons' strips of three frames, the flags, the logo, the splash
// and the frames of the speaking animation.
#pragma once

#include <QImage>
#include <vector>

namespace appimages {

// The picture of an id of app/PictureFiles.h (a null image for an unknown id).
QImage DrawPicture(int id);

// The frames of the speaking animation; the first is the still picture.
std::vector<QImage> DrawAnimation();
constexpr int kAnimationDelayCs = 12;

}  // namespace appimages
