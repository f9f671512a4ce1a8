#include "tests/common/TestSupport.h"

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace testing_support {
namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "tmtest-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission that a test may have taken away.
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

static void SetEnv(const std::string& name, const char* value) {
  if (value != nullptr) {
    setenv(name.c_str(), value, 1);
  } else {
    unsetenv(name.c_str());
  }
}

ScopedEnv::ScopedEnv(std::string name, const char* value) : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) {
    had_ = true;
    old_ = old;
  }
  SetEnv(name_, value);
}

ScopedEnv::~ScopedEnv() { SetEnv(name_, had_ ? old_.c_str() : nullptr); }

ScopedCwd::ScopedCwd(const std::string& dir) : old_(fs::current_path().string()) {
  fs::current_path(dir);
}

ScopedCwd::~ScopedCwd() {
  std::error_code ec;
  fs::current_path(old_, ec);
}

MessageRecorder::MessageRecorder()
    : previous_(
          platform::SetMessageSink([this](const std::string& caption, const std::string& text) {
            std::lock_guard<std::mutex> lock(mutex_);
            messages_.emplace_back(caption, text);
          })) {}

MessageRecorder::~MessageRecorder() { platform::SetMessageSink(previous_); }

std::vector<std::pair<std::string, std::string>> MessageRecorder::messages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_;
}

std::vector<std::string> MessageRecorder::reports() const {
  std::vector<std::string> out;
  for (const auto& box : messages()) {
    out.push_back(box.second.size() > 15 ? box.second.substr(15) : box.second);
  }
  return out;
}

void MessageRecorder::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  messages_.clear();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  for (const auto end = std::chrono::steady_clock::now() + limit;
       std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
    if (condition()) return true;
  }
  return condition();
}

}  // namespace testing_support
