#pragma once
// glibc's iconv, the fuzzers' authority on character sets.

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <string_view>

// One conversion descriptor, closed by its destructor.
class CIconv {
public:
    CIconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            std::abort();
    }
    ~CIconv() { iconv_close(m_cd); }
    CIconv(const CIconv&) = delete;
    CIconv& operator=(const CIconv&) = delete;

    // Converts `in` as far as it goes into at most `room` bytes; the bytes
    // made, the bytes of `in` taken, and errno when it stopped early.
    struct Result {
        std::string out;
        std::size_t taken = 0;
        int error = 0;
    };
    Result Convert(std::string_view in, std::size_t room) const {
        Result result;
        result.out.resize(room);
        char* inAt = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char* outAt = result.out.data();
        std::size_t outLeft = room;
        if (iconv(m_cd, &inAt, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1))
            result.error = errno;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        result.out.resize(room - outLeft);
        result.taken = in.size() - inLeft;
        return result;
    }

private:
    iconv_t m_cd;
};

// Whether all of `text` is UTF-8 as iconv reads it.
inline bool IsUtf8ByIconv(std::string_view text) {
    static const CIconv decoder("UTF-32LE", "UTF-8");
    const CIconv::Result decoded = decoder.Convert(text, 4 * text.size());
    return decoded.error == 0 && decoded.taken == text.size();
}
