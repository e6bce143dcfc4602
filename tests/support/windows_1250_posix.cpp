#include <iconv.h>

#include <string>

#include "tests/support/windows_1250.h"

std::string Windows1250(const char* utf8) {
    // (iconv_t)-1 when the C library lacks one of the two character sets.
    iconv_t converter = iconv_open("CP1250", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return NoWindows1250Form;
    }
    std::string input(utf8);
    // A Windows-1250 text is never longer than its UTF-8 form.
    std::string output(input.size(), '\0');
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    // (size_t)-1 on a character without a Windows-1250 byte or bytes that are not UTF-8;
    // a positive count of characters converted by approximation, which no test wants.
    const std::size_t approximated = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (approximated != 0) {
        return NoWindows1250Form;
    }
    output.resize(output.size() - outLeft);
    return output;
}
