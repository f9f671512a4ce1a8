// The program's pictures: their ids (as the windows name them) and the
// files of the installation's "images" folder that hold them, and the
// speaking animation "an.cra" in the installation directory. The build's
// picture generator writes exactly these files.
#pragma once

namespace pictures {

enum Id : int {
  kAppIcon = 128,
  kSplash = 129,
  kSave = 133,
  kStop = 134,
  kLogo = 140,
  kAbout = 141,
  kSpeak = 155,
  kEnglishIcon = 167,
  kGreekIcon = 168,
  kProductPage = 169,
  kSynthesizerPage = 170,
  kReport = 181,
  kBanner = 183,
  kExit = 184,
  kGreekButton = 185,
  kEnglishButton = 186,
};

struct File {
  int id;
  const char* name;
};

// Picture buttons hold a strip of three frames side by side (normal,
// pressed, mouse over it).
constexpr File kFiles[] = {
    {kAppIcon, "app.png"},
    {kSplash, "splash.png"},
    {kSave, "save.png"},
    {kStop, "stop.png"},
    {kLogo, "logo.png"},
    {kAbout, "about.png"},
    {kSpeak, "speak.png"},
    {kEnglishIcon, "english-icon.png"},
    {kGreekIcon, "greek-icon.png"},
    {kProductPage, "product-page.png"},
    {kSynthesizerPage, "synthesizer-page.png"},
    {kReport, "report.png"},
    {kBanner, "banner.png"},
    {kExit, "exit.png"},
    {kGreekButton, "greek.png"},
    {kEnglishButton, "english.png"},
};

constexpr const char* kFolder = "images";
constexpr const char* kAnimation = "an.cra";
// The animation is a GIF; it is read as one whatever its file name.
constexpr const char* kAnimationFormat = "gif";

// The file name of a picture, or null for an unknown id.
constexpr const char* FileName(int id) {
  for (const File& file : kFiles) {
    if (file.id == id) return file.name;
  }
  return nullptr;
}

}  // namespace pictures
