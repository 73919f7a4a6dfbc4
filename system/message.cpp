#include "system/message.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace KaSystem {

uint64_t CurrentThreadSerial() {
    static std::atomic<uint64_t> next{1};
    thread_local const uint64_t serial = next.fetch_add(1);
    return serial;
}

KaErrorHandlerImplBase::KaErrorHandlerImplBase() {
    for (auto& c : counters_) c.store(0);
}

KaErrorHandlerImplBase::KaErrorHandlerImplBase(const KaErrorHandlerImplBase& other)
    : strict_(other.strict_.load()) {
    for (int i = 0; i < 9; ++i) counters_[i].store(other.counters_[i].load());
    threshold_.Set(other.threshold_.Get());
}

KaErrorHandlerImplBase::~KaErrorHandlerImplBase() = default;

bool KaErrorHandlerImplBase::GetStrict() const { return strict_.load(); }
uint32_t KaErrorHandlerImplBase::GetLevel() const { return threshold_.Get(); }

uint32_t KaErrorHandlerImplBase::Count(uint32_t level) const {
    if (level == 0) {
        uint32_t sum = 0;
        for (int i = 1; i <= 8; ++i) sum += counters_[i].load();
        return sum;
    }
    return counters_[Slot(level)].load();
}

void KaErrorHandlerImplBase::SetStrict(bool strict) { strict_.store(strict); }
void KaErrorHandlerImplBase::SetLevel(uint32_t level) { threshold_.Set(level); }
void KaErrorHandlerImplBase::CountMessage(uint32_t level) { counters_[Slot(level)].fetch_add(1); }

void KaErrorHandlerImplBase::ClearCounts() {
    for (int i = 1; i <= 8; ++i) counters_[i].store(0);
}

KaErrorHandlerStreamImpl::KaErrorHandlerStreamImpl(std::ostream& out) : out_(out) {}

KaErrorHandlerStreamImpl::KaErrorHandlerStreamImpl(const KaErrorHandlerStreamImpl& other)
    : KaErrorHandlerImplBase(other), out_(other.out_) {}

KaErrorHandlerImplBase* KaErrorHandlerStreamImpl::Clone() const {
    return new KaErrorHandlerStreamImpl(*this);
}

void KaErrorHandlerStreamImpl::Msg(uint32_t level, const std::string& text) {
    if (level >= GetLevel()) {
        if (level == 5) level = GetStrict() ? 6 : 4;
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        switch (level) {
            case 1: out_ << "Debug: " << text << std::endl; break;
            case 2:
            case 3: out_ << text << std::endl; break;
            case 4: out_ << "Warning: " << text << std::endl; break;
            case 6: out_ << "Fatal: " << text << std::endl; break;
            case 7: out_ << "Usage: " << text << std::endl; break;
            case 8: break;
            default: out_ << "Unknown Error Level(" << level << "): " << text << std::endl; break;
        }
        CountMessage(level);
    }
    // Fatal and usage messages end the process even when filtered out.
    if (level == 6) std::exit(1);
    if (level == 7) std::exit(0);
}

KaErrorHandlerImplBase& ErrorHandler() {
    // Never destroyed: messages may be sent from static destructors.
    static KaErrorHandlerImplBase* handler = new KaErrorHandlerStreamImpl(std::cerr);
    return *handler;
}

namespace {
void SendFormatted(uint32_t level, const char* format, va_list args) {
    char buffer[8192];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    ErrorHandler().Msg(level, std::string(buffer));
}
}  // namespace

void Warning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    SendFormatted(4, format, args);
    va_end(args);
}

void WarningText(const std::string& text) { ErrorHandler().Msg(4, text); }

void Message2(const char* format, ...) {
    va_list args;
    va_start(args, format);
    SendFormatted(2, format, args);
    va_end(args);
}

void Error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    SendFormatted(5, format, args);
    va_end(args);
}

}  // namespace KaSystem
