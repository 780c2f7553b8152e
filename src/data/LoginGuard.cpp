// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoginGuard.h"

namespace kestrelon {

LoginGuard::LoginGuard(std::chrono::seconds limit)
    : thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (ended_.wait_for(lock, limit, [this] { return done_; }))
              return;
          ranOut_ = true;
          ConnectionSockets::gained(before_, ConnectionSockets::ofProcess()).shutDown();
      })
{
}

LoginGuard::~LoginGuard()
{
    {
        const std::lock_guard lock(mutex_);
        done_ = true;
    }
    ended_.notify_all();
    thread_.join();
}

bool LoginGuard::ranOut() const
{
    const std::lock_guard lock(mutex_);
    return ranOut_;
}

} // namespace kestrelon
