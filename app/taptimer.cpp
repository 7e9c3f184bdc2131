#include "app/taptimer.h"

#include <system_error>

Timer::Timer() : Seconds(0), Milliseconds(0), Running(false) {}

Timer::~Timer() {
  Running = false;
  Join();
}

HRESULT Timer::Start() {
  Running = true;
  // std::thread reports a thread it cannot start by throwing; that ends here.
  try {
    Threads.emplace_back([this] {
      while (Running) {
        Sleep(1000);
        ++Seconds;
      }
    });
    Threads.emplace_back([this] {
      while (Running) {
        Sleep(1);
        ++Milliseconds;
      }
    });
  } catch (const std::system_error&) {
    Running = false;
    Join();
    return HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY);
  }
  return S_OK;
}

unsigned Timer::GetSeconds() const { return Seconds; }

void Timer::ResetSeconds() { Seconds = 0; }

unsigned Timer::GetMilliseconds() const { return Milliseconds; }

void Timer::Stop() { Running = false; }

void Timer::Join() {
  for (std::thread& thread : Threads) thread.join();
  Threads.clear();
}

TapTimer::TapTimer() : Threshold(1), Clock(), StartResult(Clock.Start()) {}

bool TapTimer::IsReady() const { return Clock.GetSeconds() >= Threshold; }

void TapTimer::Reset() { Clock.ResetSeconds(); }

HRESULT TapTimer::GetStartResult() const { return StartResult; }
