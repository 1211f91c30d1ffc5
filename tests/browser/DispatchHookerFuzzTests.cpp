// Random names and arguments, thousands of calls: every call either reaches
// its handler with well-defined texts or fails with E_FAIL, and the object is
// unchanged afterwards. The seed is fixed, so a failure can be replayed.

#include "DispatchArgs.h"
#include "DispatchImpl_Hooker.h"
#include "TextConversion.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

struct Call_ {
    int count = -1;
    std::vector<std::optional<std::string>> args;
};
std::vector<Call_> g_calls;

const char* Record(void*, const char* const* args, int count) {
    Call_ call;
    call.count = count;
    for (int i = 0; i < count; ++i)
        call.args.push_back(args[i] ? std::optional<std::string>(args[i]) : std::nullopt);
    g_calls.push_back(std::move(call));
    return count > 0 && args[0] ? args[0] : nullptr;
}

// What a handler must see for one argument; nothing when the call must fail.
using Expected = std::optional<std::optional<std::string>>;

class CFuzzer {
public:
    explicit CFuzzer(UINT codePage) : m_codePage(codePage) {}

    std::wstring RandomText(size_t maxLength) {
        static const wchar_t pool[] = {L'a',
                                       L'Z',
                                       L'_',
                                       L'0',
                                       L' ',
                                       L'"',
                                       L'\\',
                                       L'/',
                                       L'#',
                                       L'|',
                                       L'\0',
                                       L'\u00E9',
                                       L'\u4E2D',
                                       L'\u6587',
                                       L'\u0E01',
                                       L'\uFF48',
                                       static_cast<wchar_t>(0xD83D),
                                       static_cast<wchar_t>(0xDE00),
                                       L'\uFFFF',
                                       L'\u3000'};
        size_t length = Pick(maxLength + 1);
        std::wstring text;
        for (size_t i = 0; i < length; ++i)
            text += pool[Pick(std::size(pool))];
        return text;
    }

    // A random argument and what the handler must see for it.
    VARIANT RandomArg(Expected* expected) {
        VARIANT v;
        ::VariantInit(&v);
        switch (Pick(13)) {
        case 0:
        case 1: {
            std::wstring text = RandomText(Pick(8) == 0 ? 5000 : 30);
            v.vt = VT_BSTR;
            v.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
            *expected = ExpectedText(text);
            return v;
        }
        case 2:
            v.vt = VT_BSTR;
            v.bstrVal = nullptr;
            *expected = std::optional<std::string>();
            return v;
        case 3:
            v.vt = VT_I4;
            v.lVal = static_cast<LONG>(m_random());
            break;
        case 4:
            v.vt = VT_R8;
            v.dblVal = std::uniform_real_distribution<double>(-1e12, 1e12)(m_random);
            break;
        case 5:
            v.vt = VT_BOOL;
            v.boolVal = Pick(2) ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case 6:
            v.vt = VT_NULL;
            break;
        case 7:
            break; // VT_EMPTY
        case 8:
            v.vt = VT_DATE;
            v.date = std::uniform_real_distribution<double>(-600000, 2900000)(m_random);
            break;
        case 9:
            v = (Pick(2) ? m_withValue : m_withoutValue).AsArgument();
            break;
        case 10:
            v.vt = VT_ARRAY | VT_UI1;
            v.parray = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(Pick(5)));
            break;
        case 11:
            v.vt = VT_ERROR;
            v.scode = DISP_E_PARAMNOTFOUND;
            break;
        default:
            v.vt = VT_CY;
            v.cyVal.int64 = static_cast<LONGLONG>(m_random()) * 7;
            break;
        }
        *expected = Converted(v);
        return v;
    }

    size_t Pick(size_t bound) { return bound ? m_random() % bound : 0; }

private:
    // A string argument: up to its first NUL, in the object's code page.
    Expected ExpectedText(const std::wstring& text) {
        std::wstring visible = text.substr(0, text.find(L'\0'));
        std::string narrow;
        if (!visible.empty()) {
            int needed = ::WideCharToMultiByte(m_codePage, 0, visible.data(),
                                               static_cast<int>(visible.size()), nullptr, 0,
                                               nullptr, nullptr);
            if (needed <= 0)
                return std::optional<std::string>();
            narrow.resize(static_cast<size_t>(needed));
            ::WideCharToMultiByte(m_codePage, 0, visible.data(), static_cast<int>(visible.size()),
                                  narrow.data(), needed, nullptr, nullptr);
        }
        return std::optional<std::string>(narrow);
    }

    // Another type: what the platform's conversion to a string gives, if anything.
    Expected Converted(VARIANT& v) {
        VARIANT copy;
        ::VariantInit(&copy);
        if (FAILED(::VariantChangeType(&copy, &v, 0, VT_BSTR)))
            return std::nullopt;
        Expected expected =
            copy.bstrVal ? ExpectedText(std::wstring(copy.bstrVal, ::SysStringLen(copy.bstrVal)))
                         : std::optional<std::string>();
        ::VariantClear(&copy);
        return expected;
    }

    UINT m_codePage;
    std::mt19937 m_random{20240607};
    CValueObject m_withValue{L"\u503C value"};
    CValueObject m_withoutValue{L"", false};
};

struct Command {
    std::wstring wideName;
    std::string name;
    int argCount;
};

void Fuzz(UINT codePage, int iterations) {
    CDispatchImpl_Hooker object;
    object.m_codePage = codePage;
    std::vector<Command> commands = {
        {L"home", "", 0}, {L"set_name", "", 1}, {L"pair", "", 2}, {L"\u4E2D\u6587", "", 3}};
    for (Command& command : commands) {
        command.name = ToNarrow(command.wideName, codePage);
        ASSERT_TRUE(object.AddCommand({command.name.c_str(), command.argCount, &Record}));
    }

    CFuzzer fuzzer(codePage);
    int called = 0;
    for (int i = 0; i < iterations; ++i) {
        // A name: registered, altered, or random.
        const Command& target = commands[fuzzer.Pick(commands.size())];
        std::wstring name = target.wideName;
        switch (fuzzer.Pick(4)) {
        case 0:
            name[fuzzer.Pick(name.size())] ^= 0x20;
            break;
        case 1:
            name = fuzzer.RandomText(12);
            break;
        default:
            break;
        }
        DISPID dispid = -1;
        HRESULT resolved = DispidOf(&object, name, &dispid);
        const Command* command = nullptr;
        std::wstring visible = name.substr(0, name.find(L'\0'));
        std::string narrow = ToNarrow(visible, codePage);
        for (size_t k = 0; k < commands.size(); ++k)
            if (!visible.empty() && commands[k].name == narrow)
                command = &commands[k];
        ASSERT_EQ(resolved, command ? S_OK : E_FAIL) << "iteration " << i;
        if (command) {
            ASSERT_EQ(dispid, 1000 + (command - commands.data()));
        } else {
            dispid = 1000 + static_cast<DISPID>(fuzzer.Pick(6)); // unknown ones too
        }

        // Arguments: usually the right number, sometimes not.
        size_t count = fuzzer.Pick(5) == 0 ? fuzzer.Pick(8) : (command ? command->argCount : 1);
        if (fuzzer.Pick(200) == 0)
            count = 257;
        CCallArgs args;
        std::vector<Expected> expected;
        for (size_t k = 0; k < count; ++k) {
            Expected one;
            args.Variant(fuzzer.RandomArg(&one));
            expected.push_back(one);
        }

        g_calls.clear();
        VARIANT result;
        ::VariantInit(&result);
        HRESULT hr = Call(&object, dispid, args, &result);
        const Command* invoked =
            dispid >= 1000 && dispid < 1000 + static_cast<DISPID>(commands.size())
                ? &commands[static_cast<size_t>(dispid - 1000)]
                : nullptr;
        bool callable = invoked && static_cast<size_t>(invoked->argCount) == count;
        for (const Expected& one : expected)
            callable = callable && one.has_value();
        ASSERT_EQ(hr, callable ? S_OK : E_FAIL) << "iteration " << i;
        ASSERT_EQ(g_calls.size(), callable ? 1u : 0u) << "iteration " << i;
        if (callable) {
            ++called;
            ASSERT_EQ(g_calls[0].count, invoked->argCount);
            for (size_t k = 0; k < count; ++k)
                ASSERT_EQ(g_calls[0].args[k], *expected[k]) << "iteration " << i << " arg " << k;
            bool answered = count > 0 && *expected[0];
            ASSERT_EQ(result.vt, answered ? VT_BSTR : VT_EMPTY);
            if (answered) {
                std::wstring answer(result.bstrVal, ::SysStringLen(result.bstrVal));
                ASSERT_EQ(ToNarrow(answer, codePage), **expected[0]);
            }
        }
        ::VariantClear(&result);
    }

    // Both outcomes were exercised plenty.
    EXPECT_GT(called, iterations / 5);
    EXPECT_LT(called, iterations * 4 / 5);

    // The table is as it was.
    for (size_t k = 0; k < commands.size(); ++k) {
        DISPID dispid = -1;
        ASSERT_EQ(DispidOf(&object, commands[k].wideName, &dispid), S_OK);
        EXPECT_EQ(dispid, static_cast<DISPID>(1000 + k));
    }
}

TEST(DispatchHookerFuzz, RandomNamesAndArgumentsInCodePage936) {
    Fuzz(936, 3000);
}

TEST(DispatchHookerFuzz, RandomNamesAndArgumentsInUtf8) {
    Fuzz(CP_UTF8, 3000);
}

} // namespace
