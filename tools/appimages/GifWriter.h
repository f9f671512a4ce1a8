// A writer of animated GIF files (GIF89a): every frame is the same size,
// drawn in one global table of 256 colours, and the animation repeats
// without end.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

namespace appimages {

// Writes frames (all of the first frame's size) to path, each shown for
// delayCs hundredths of a second. False when the file cannot be written.
bool WriteAnimatedGif(const QString& path, const std::vector<QImage>& frames, int delayCs);

// The GIF compression of one frame's colour indices (8 bits each): the
// code stream, not yet cut into sub-blocks.
std::vector<unsigned char> LzwCompress(const std::vector<unsigned char>& indices);

}  // namespace appimages
