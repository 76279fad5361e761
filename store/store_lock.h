// An exclusive advisory lock that lets one run at a time add to the store of the working
// directory, so that two runs never hand out the same ID for different contents.
#ifndef VEXILO_STORE_STORE_LOCK_H_
#define VEXILO_STORE_STORE_LOCK_H_

namespace vexilo {

// Locks the working directory itself (no file is made) for as long as the holder lives, waiting
// while another run holds the lock; the lock goes with the holder, whichever way its scope is left,
// and with the process when it dies. When the directory cannot be locked, a line on standard error
// says so and the holder holds nothing: the run goes on unlocked.
class StoreLock {
 public:
  StoreLock();
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  bool held() const { return descriptor_ >= 0; }

 private:
  int descriptor_ = -1;
};

}  // namespace vexilo

#endif  // VEXILO_STORE_STORE_LOCK_H_
