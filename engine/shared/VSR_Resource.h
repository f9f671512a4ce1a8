// The base of every shared resource pool.
#pragma once

class TMShared;

class VSR_Resource {
 public:
  VSR_Resource() = default;
  VSR_Resource(const VSR_Resource&) = delete;
  VSR_Resource& operator=(const VSR_Resource&) = delete;

  virtual bool Load(TMShared* holder) = 0;
  virtual bool Unload() = 0;
  virtual ~VSR_Resource() = default;

  TMShared* GetHolder() const { return holder_; }

 protected:
  TMShared* holder_ = nullptr;
};
