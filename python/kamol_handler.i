// The toolkit's process-wide message handler, lumora.kamol.ErrorHandler().

%{
#include "system/message.h"
%}

%nodefaultctor KaSystem::KaErrorHandlerImplBase;
%nodefaultdtor KaSystem::KaErrorHandlerImplBase;

// A message that ends the process must not lose what Python has buffered
// for its own standard streams.
%feature("pythonprepend") KaSystem::KaErrorHandlerImplBase::Msg %{
    if level >= 5:
        _flush_python_streams()
%}

%feature("docstring") KaSystem::KaErrorHandlerImplBase::Msg
"Hands one message to the handler, as the toolkit does.

Levels: 1 debug, 2-3 plain, 4 warning, 5 error (handled as 6 while the
handler is strict, else as 4), 6 fatal, 7 usage, 8 counted only. Messages
below the calling thread's level are neither printed nor counted.

Levels 6 and 7 END THE PROCESS (exit status 1 and 0), even when filtered
out, and so does level 5 while the handler is strict (unless the thread's
level is above 5): that is the toolkit's fatal-error path, kept as it is.
Python's own stdout and stderr are flushed first; nothing else runs (no
finally blocks, no atexit handlers).";

namespace KaSystem {

class KaErrorHandlerImplBase {
public:
    virtual bool GetStrict() const;
    virtual uint32_t GetLevel() const;
    virtual uint32_t Count(uint32_t level) const;
    virtual void SetStrict(bool strict);
    virtual void SetLevel(uint32_t level);
    virtual void CountMessage(uint32_t level);
    virtual void ClearCounts();
    virtual void Msg(uint32_t level, const std::string& text) = 0;
};

%extend KaErrorHandlerImplBase {
    %pythoncode %{
        __init__ = _no_constructor("use ErrorHandler()")
    %}
}

%feature("docstring") ErrorHandler
"The process-wide message handler (one for every module of the toolkit).";
KaErrorHandlerImplBase& ErrorHandler();

}  // namespace KaSystem

%pythoncode %{
def _flush_python_streams():
    import sys
    for stream in (sys.stdout, sys.stderr):
        try:
            stream.flush()
        except Exception:
            pass
%}
