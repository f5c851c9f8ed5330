// Plain-text jobs as the TEXT processor lays them out: any bytes, page size, code page and line-end
// translation; every piece of text lies inside its page and every page that starts also ends.
#include <cstdlib>
#include <vector>

#include "fuzz_input.h"
#include "text_layout.h"

namespace {

class CheckingDevice final : public TextDevice {
public:
    CheckingDevice(DWORD columns, DWORD lines) : m_columns(columns), m_lines(lines) {}
    bool StartPage() override {
        if (m_inPage) std::abort();
        m_inPage = true;
        return true;
    }
    bool EndPage() override {
        if (!m_inPage) std::abort();
        m_inPage = false;
        return true;
    }
    bool Text(DWORD column, DWORD line, const char*, DWORD length) override {
        // A double-byte character on a line one column wide cannot fit and is printed whole.
        const bool fits = column + length <= m_columns || (column == 0 && length <= 2);
        if (!m_inPage || line >= m_lines || !fits) std::abort();
        return true;
    }
    bool inPage() const { return m_inPage; }

private:
    DWORD m_columns;
    DWORD m_lines;
    bool m_inPage = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    const DWORD columns = 1 + input.Byte() % 100;
    const DWORD lines = 1 + input.Byte() % 80;
    const uint8_t choice = input.Byte();
    const UINT codePage = (choice & 1) ? 932 : 1252;
    const DWORD translation = (choice & 2 ? textflags::kTranslateLF : 0) | (choice & 4 ? textflags::kTranslateCR : 0);
    const DWORD bufferSize = 2 + (choice >> 3);
    const auto text = input.Rest();

    CheckingDevice device(columns, lines);
    TextLayout layout(device, columns, lines, codePage, translation);
    size_t position = 0;
    std::vector<BYTE> buffer(bufferSize);
    layout.LayText(
        [&](BYTE* out, DWORD room, DWORD* read) {
            const size_t count = std::min<size_t>(room, text.size() - position);
            std::copy_n(text.data() + position, count, out);
            position += count;
            *read = static_cast<DWORD>(count);
            return true;
        },
        buffer.data(), bufferSize);
    if (device.inPage()) std::abort();
    return 0;
}
