// Process-wide message handler of the toolkit: levels, per-thread thresholds,
// atomic counters, a strict flag, and serialised output with a level prefix.
#pragma once

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace KaSystem {

// Level values: 1 debug, 2-3 plain, 4 warning, 5 error (becomes 6 when strict,
// else 4), 6 fatal (exit 1), 7 usage (exit 0), 8 counted only.
constexpr uint32_t kDefaultErrorLevel = 3;

// A number that identifies the calling thread for the life of the process.
// Unlike std::thread::id it is never handed on to a later thread, so a new
// thread cannot inherit what an ended one stored under its id.
uint64_t CurrentThreadSerial();

// Per-thread value with a default for threads that never set one.
template <class T, T Default>
class KaThreadLocal {
public:
    T Get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = values_.find(CurrentThreadSerial());
        return it == values_.end() ? Default : it->second;
    }
    void Set(T value) {
        std::lock_guard<std::mutex> lock(mutex_);
        values_[CurrentThreadSerial()] = value;
    }

private:
    mutable std::mutex mutex_;
    std::map<uint64_t, T> values_;
};

class KaErrorHandlerImplBase {
public:
    KaErrorHandlerImplBase();
    KaErrorHandlerImplBase(const KaErrorHandlerImplBase& other);
    KaErrorHandlerImplBase& operator=(const KaErrorHandlerImplBase&) = delete;
    virtual ~KaErrorHandlerImplBase();

    virtual bool GetStrict() const;
    virtual uint32_t GetLevel() const;
    virtual uint32_t Count(uint32_t level) const;
    virtual void SetStrict(bool strict);
    virtual void SetLevel(uint32_t level);
    virtual void CountMessage(uint32_t level);
    virtual void ClearCounts();
    virtual void Msg(uint32_t level, const std::string& text) = 0;
    virtual KaErrorHandlerImplBase* Clone() const = 0;

protected:
    static uint32_t Slot(uint32_t level) { return level >= 9 ? 0 : level; }

    KaThreadLocal<uint32_t, kDefaultErrorLevel> threshold_;
    std::atomic<uint32_t> counters_[9];
    std::atomic<bool> strict_{true};
};

// Writes messages to a standard stream (not owned).
class KaErrorHandlerStreamImpl : public KaErrorHandlerImplBase {
public:
    explicit KaErrorHandlerStreamImpl(std::ostream& out);
    KaErrorHandlerStreamImpl(const KaErrorHandlerStreamImpl& other);

    void Msg(uint32_t level, const std::string& text) override;
    KaErrorHandlerImplBase* Clone() const override;

private:
    std::ostream& out_;
    std::recursive_mutex mutex_;
};

// The process-wide handler, writing to standard error; made on first use and
// kept for the life of the process.
KaErrorHandlerImplBase& ErrorHandler();

// Reporting functions used throughout the toolkit. The formatted variants
// format into an 8192-byte buffer (longer texts are cut there).
void Warning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void WarningText(const std::string& text);
void Message2(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Error(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace KaSystem
