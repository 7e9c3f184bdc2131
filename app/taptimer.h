// A seconds gate for keys that act as taps: a Timer whose two threads count
// seconds and milliseconds, and a TapTimer that is ready once a threshold of
// seconds has been counted since its last reset.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

class Timer {
 public:
  Timer();
  // Stops the threads and waits for them; the seconds thread may be in the middle
  // of its one-second sleep.
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // Starts the seconds thread, then the milliseconds thread. Should one fail to
  // start, the threads already running are stopped and joined and the failure
  // is returned.
  HRESULT Start();
  unsigned GetSeconds() const;
  void ResetSeconds();
  unsigned GetMilliseconds() const;
  // Tells the threads to end after their current sleep, without waiting.
  void Stop();

 private:
  void Join();

  std::atomic<uint32_t> Seconds;
  std::atomic<uint32_t> Milliseconds;
  std::atomic<bool> Running;
  std::vector<std::thread> Threads;
};

class TapTimer {
 public:
  // Starts the clock; StartResult tells whether its threads run.
  TapTimer();
  bool IsReady() const;
  void Reset();
  HRESULT GetStartResult() const;

 private:
  uint32_t Threshold;
  Timer Clock;
  HRESULT StartResult;
};
