#include "device/background_writer.hpp"

#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace plume::device {

int write_fully(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

class BackgroundWriter {
 public:
  static BackgroundWriter& instance() {
    static BackgroundWriter* w = new BackgroundWriter;  // never destroyed: the thread may outlive statics
    return *w;
  }

  bool submit(PendingWrite& job) {
    std::unique_lock lock(mutex_);
    if (!running_ && !start_thread()) return false;
    job.done_ = false;
    queue_.push_back(&job);
    work_.notify_one();
    return true;
  }

  int wait(PendingWrite& job) {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return job.done_; });
    return job.error_;
  }

 private:
  bool start_thread() {
    try {
      std::thread([this] { run(); }).detach();
    } catch (const std::system_error&) {
      return false;
    }
    running_ = true;
    static const bool registered = [] {
      ::pthread_atfork(&before_fork, &after_fork_in_parent, &after_fork_in_child);
      return true;
    }();
    (void)registered;
    return true;
  }

  void run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      work_.wait(lock, [&] { return !queue_.empty(); });
      PendingWrite* job = queue_.front();
      busy_ = true;
      lock.unlock();
      const int error = write_fully(job->fd_, job->data_, job->size_);
      lock.lock();
      queue_.pop_front();
      busy_ = false;
      job->error_ = error;
      job->done_ = true;
      done_.notify_all();
    }
  }

  // A child process has no writer thread: the parent finishes every write
  // first, and the child starts a thread of its own when it needs one.
  static void before_fork() {
    auto& w = instance();
    w.mutex_.lock();
    while (!w.queue_.empty() || w.busy_) {
      std::unique_lock lock(w.mutex_, std::adopt_lock);
      w.done_.wait(lock);
      lock.release();
    }
  }
  static void after_fork_in_parent() { instance().mutex_.unlock(); }
  static void after_fork_in_child() {
    auto& w = instance();
    // The copies of the lock and the conditions belong to the parent's thread.
    new (&w.mutex_) std::mutex;
    new (&w.work_) std::condition_variable;
    new (&w.done_) std::condition_variable;
    w.running_ = false;
  }

  std::mutex mutex_;
  std::condition_variable work_, done_;
  std::deque<PendingWrite*> queue_;
  bool running_ = false;
  bool busy_ = false;
};

bool PendingWrite::start(int fd, const char* data, std::size_t size) {
  fd_ = fd;
  data_ = data;
  size_ = size;
  error_ = 0;
  active_ = BackgroundWriter::instance().submit(*this);
  return active_;
}

int PendingWrite::wait() {
  if (!active_) return 0;
  active_ = false;
  return BackgroundWriter::instance().wait(*this);
}

}  // namespace plume::device
