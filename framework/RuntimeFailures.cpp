// The C++ runtime's failure paths, taken over for the programs that ship.
//
// The library's own versions pull in a symbol demangler (for the message
// an uncaught exception prints to a console the client does not have) and a
// second string implementation (for the messages of std::logic_error and
// its kin): a fifth of the 32-bit client. Linked as an object, these
// definitions take their place.
//
// What each failure does is kept where code relies on it: allocation
// failures still throw std::bad_alloc, and the other errors still throw,
// so `catch (...)` around a window procedure or a COM call sees them as
// before. Nothing in the client catches std::logic_error and its kin by
// type; they carry the library's message as `what()`.

#include <exception>
#include <new>
#include <typeinfo>

namespace {

class CRuntimeError : public std::exception {
public:
    explicit CRuntimeError(const char* what) noexcept : m_what(what ? what : "runtime error") {}
    const char* what() const noexcept override { return m_what; }

private:
    const char* m_what;
};

} // namespace

namespace __gnu_cxx {

// An uncaught exception ends the process as a fault of the program's own
// code does, so the crash report (or the debugger) learns of it rather than
// a console nobody reads.
void __verbose_terminate_handler() {
    __builtin_trap();
}

} // namespace __gnu_cxx

namespace std {

[[noreturn]] void __throw_bad_alloc() {
    throw bad_alloc();
}
[[noreturn]] void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
[[noreturn]] void __throw_bad_cast() {
    throw bad_cast();
}
[[noreturn]] void __throw_bad_typeid() {
    throw bad_typeid();
}
[[noreturn]] void __throw_bad_exception() {
    throw bad_exception();
}
// The string and container errors are programming faults or, for the
// length errors, requests larger than memory: thrown with their message.
[[noreturn]] void __throw_logic_error(const char* what) {
    throw CRuntimeError(what);
}
[[noreturn]] void __throw_domain_error(const char* what) {
    throw CRuntimeError(what);
}
[[noreturn]] void __throw_invalid_argument(const char* what) {
    throw CRuntimeError(what);
}
[[noreturn]] void __throw_length_error(const char* what) {
    throw CRuntimeError(what);
}
[[noreturn]] void __throw_out_of_range(const char* what) {
    throw CRuntimeError(what);
}
// The format is the message: filling it in is what pulled in the printf.
[[noreturn]] void __throw_out_of_range_fmt(const char* format, ...) {
    throw CRuntimeError(format);
}
[[noreturn]] void __throw_runtime_error(const char* what) {
    throw CRuntimeError(what);
}
[[noreturn]] void __throw_range_error(const char* what) {
    throw CRuntimeError(what);
}
[[noreturn]] void __throw_overflow_error(const char* what) {
    throw CRuntimeError(what);
}
[[noreturn]] void __throw_underflow_error(const char* what) {
    throw CRuntimeError(what);
}
// A thread or a lock the system refused: catch it as std::exception.
[[noreturn]] void __throw_system_error(int) {
    throw CRuntimeError("the system refused a thread or a lock");
}

} // namespace std
