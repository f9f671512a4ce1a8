#include "app/Pictures.h"

#include <string>

#include "engine/base/VLib.h"
#include "platform/Registry.h"

namespace pictures {
namespace {
constexpr size_t kPathBufferSize = 1000;
}

QString InstallationDirectory() {
  platform::RegistryKey key;
  std::string path;
  if (platform::RegistryOpenKey(VLib::kRegistryKey, key) != platform::kRegSuccess ||
      platform::RegistryQueryValue(key, VLib::kRegistryValue, path, kPathBufferSize) !=
          platform::kRegSuccess) {
    return QString();
  }
  return QString::fromStdString(path);
}

QPixmap Load(int id) {
  const char* name = FileName(id);
  const QString dir = InstallationDirectory();
  if (name == nullptr || dir.isEmpty()) return QPixmap();
  return QPixmap(dir + "/" + kFolder + "/" + name);
}

QString AnimationPath() { return InstallationDirectory() + "/" + kAnimation; }

}  // namespace pictures
