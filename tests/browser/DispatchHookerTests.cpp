// The script-callable object: its command table, name resolution, argument
// conversion and order, results, and what bad input from a page does to it.

#include "DispatchArgs.h"
#include "DispatchImpl_Hooker.h"
#include "TextConversion.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// What a handler saw.
struct Seen {
    void* context = nullptr;
    int count = -1;
    std::vector<std::optional<std::string>> args;
};

std::vector<Seen> g_seen;
std::string g_result;

const char* Record(void* context, const char* const* args, int count) {
    Seen seen;
    seen.context = context;
    seen.count = count;
    for (int i = 0; i < count; ++i)
        seen.args.push_back(args[i] ? std::optional<std::string>(args[i]) : std::nullopt);
    g_seen.push_back(std::move(seen));
    return nullptr;
}

const char* RecordAndAnswer(void* context, const char* const* args, int count) {
    Record(context, args, count);
    return g_result.c_str();
}

const char* Other(void*, const char* const*, int) {
    return "other";
}

const char* const kNames[] = {"home",       "set_name",    "show_game",   "close_login",
                              "show_login", "clear_cache", "full_screen", "set_window"};
const int kCounts[] = {0, 1, 1, 0, 0, 0, 0, 0};

class DispatchHooker : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        g_result.clear();
    }
    void RegisterAll() {
        for (int i = 0; i < 8; ++i)
            ASSERT_TRUE(object.AddCommand({kNames[i], kCounts[i], &Record}));
    }
    DISPID Dispid(const std::wstring& name) {
        DISPID dispid = -1;
        EXPECT_EQ(DispidOf(&object, name, &dispid), S_OK) << "name " << Cp936(name);
        return dispid;
    }

    CDispatchImpl_Hooker object;
};

TEST_F(DispatchHooker, RegistrationOrderGivesDispids1000To1007) {
    RegisterAll();
    const wchar_t* names[] = {L"home",       L"set_name",    L"show_game",   L"close_login",
                              L"show_login", L"clear_cache", L"full_screen", L"set_window"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Dispid(names[i]), 1000 + i);
}

TEST_F(DispatchHooker, SecondRegistrationOfANameIsRefusedAndChangesNothing) {
    ASSERT_TRUE(object.AddCommand({"home", 0, &Record}));
    EXPECT_FALSE(object.AddCommand({"home", 1, &Other}));
    // The next new name still gets the next DISPID.
    ASSERT_TRUE(object.AddCommand({"set_name", 1, &Record}));
    EXPECT_EQ(Dispid(L"set_name"), 1001);
    // The first registration's count and handler are the ones that run.
    CCallArgs none;
    EXPECT_EQ(Call(&object, 1000, none), S_OK);
    ASSERT_EQ(g_seen.size(), 1u);
    CCallArgs one;
    one.Text(L"x");
    EXPECT_EQ(Call(&object, 1000, one), E_FAIL);
}

TEST_F(DispatchHooker, NamesCompareByteForByte) {
    RegisterAll();
    DISPID dispid = 77;
    EXPECT_EQ(DispidOf(&object, L"HOME", &dispid), E_FAIL);
    EXPECT_EQ(DispidOf(&object, L"Home", &dispid), E_FAIL);
    EXPECT_EQ(DispidOf(&object, L"home ", &dispid), E_FAIL);
    EXPECT_EQ(dispid, 77);
}

TEST_F(DispatchHooker, OnlyTheFirstOfSeveralNamesIsResolved) {
    RegisterAll();
    std::wstring first = L"set_name";
    std::wstring second = L"home";
    LPOLESTR names[] = {first.data(), second.data()};
    DISPID dispids[2] = {-7, -7};
    EXPECT_EQ(object.GetIDsOfNames(IID_NULL, names, 2, 0, dispids), S_OK);
    EXPECT_EQ(dispids[0], 1001);
    EXPECT_EQ(dispids[1], -7);
}

TEST_F(DispatchHooker, NothingResolvesBeforeRegistration) {
    DISPID dispid = 5;
    EXPECT_EQ(DispidOf(&object, L"home", &dispid), E_FAIL);
    EXPECT_EQ(DispidOf(&object, L"", &dispid), E_FAIL);
    EXPECT_EQ(dispid, 5);
}

TEST_F(DispatchHooker, UnreadableNameRequestsFailWithoutWriting) {
    RegisterAll();
    std::wstring home = L"home";
    LPOLESTR names[] = {home.data()};
    LPOLESTR nullName[] = {nullptr};
    DISPID dispid = 5;
    EXPECT_EQ(object.GetIDsOfNames(IID_NULL, nullptr, 1, 0, &dispid), E_FAIL);
    EXPECT_EQ(object.GetIDsOfNames(IID_NULL, nullName, 1, 0, &dispid), E_FAIL);
    EXPECT_EQ(object.GetIDsOfNames(IID_NULL, names, 0, 0, &dispid), E_FAIL);
    EXPECT_EQ(object.GetIDsOfNames(IID_NULL, names, 1, 0, nullptr), E_FAIL);
    EXPECT_EQ(dispid, 5);
}

TEST_F(DispatchHooker, WrongArgumentCountsFailBeforeTheHandler) {
    RegisterAll();
    CCallArgs none;
    EXPECT_EQ(Call(&object, 1001, none), E_FAIL);
    CCallArgs two;
    two.Text(L"a").Text(L"b");
    EXPECT_EQ(Call(&object, 1001, two), E_FAIL);
    CCallArgs many;
    for (int i = 0; i < 257; ++i)
        many.Int(i);
    EXPECT_EQ(Call(&object, 1001, many), E_FAIL);
    EXPECT_EQ(object.Invoke(1001, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              E_FAIL);
    DISPPARAMS missing{nullptr, nullptr, 1, 0};
    EXPECT_EQ(
        object.Invoke(1001, IID_NULL, 0, DISPATCH_METHOD, &missing, nullptr, nullptr, nullptr),
        E_FAIL);
    EXPECT_TRUE(g_seen.empty());
}

TEST_F(DispatchHooker, UnknownDispidsFail) {
    RegisterAll();
    CCallArgs none;
    EXPECT_EQ(Call(&object, 999, none), E_FAIL);
    EXPECT_EQ(Call(&object, 1008, none), E_FAIL);
    EXPECT_EQ(Call(&object, DISPID_VALUE, none), E_FAIL);
    EXPECT_TRUE(g_seen.empty());
}

TEST_F(DispatchHooker, ArgumentsArriveInScriptOrderWithTheContext) {
    int context = 0;
    object.m_context = &context;
    ASSERT_TRUE(object.AddCommand({"pair", 2, &Record}));
    CCallArgs args;
    args.Text(L"x").Text(L"y");
    EXPECT_EQ(Call(&object, 1000, args), S_OK);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].context, &context);
    EXPECT_EQ(g_seen[0].count, 2);
    EXPECT_EQ(g_seen[0].args[0], "x");
    EXPECT_EQ(g_seen[0].args[1], "y");
}

TEST_F(DispatchHooker, OtherTypesAreConvertedOnACopy) {
    ASSERT_TRUE(object.AddCommand({"five", 5, &Record}));
    LONG byRef = 7;
    VARIANT reference;
    ::VariantInit(&reference);
    reference.vt = VT_BYREF | VT_I4;
    reference.plVal = &byRef;
    VARIANT empty;
    ::VariantInit(&empty);
    CValueObject value(L"object text");
    CCallArgs args;
    args.Int(5).Double(1.5).Variant(reference).Variant(empty).Variant(value.AsArgument());
    ASSERT_EQ(Call(&object, 1000, args), S_OK);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].args[0], "5");
    EXPECT_EQ(g_seen[0].args[1], "1.5");
    EXPECT_EQ(g_seen[0].args[2], "7");
    EXPECT_EQ(g_seen[0].args[3], "");
    EXPECT_EQ(g_seen[0].args[4], "object text");
    // The caller's arguments keep their values and references.
    EXPECT_EQ(args.At(0).vt, VT_I4);
    EXPECT_EQ(args.At(0).lVal, 5);
    EXPECT_EQ(args.At(2).vt, VT_BYREF | VT_I4);
    EXPECT_EQ(byRef, 7);
    EXPECT_EQ(args.At(4).vt, VT_DISPATCH);
    EXPECT_EQ(value.References(), 2); // the caller's VARIANT, and nobody else
}

TEST_F(DispatchHooker, ANullStringGivesANullSlot) {
    ASSERT_TRUE(object.AddCommand({"one", 1, &Record}));
    CCallArgs args;
    args.NullText();
    ASSERT_EQ(Call(&object, 1000, args), S_OK);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].args[0], std::nullopt);
}

TEST_F(DispatchHooker, ArgumentsThatCannotBeTextFailBeforeTheHandler) {
    ASSERT_TRUE(object.AddCommand({"one", 1, &Record}));
    CCallArgs null;
    null.Null();
    EXPECT_EQ(Call(&object, 1000, null), E_FAIL);
    CValueObject valueless(L"", false);
    CCallArgs object1;
    object1.Variant(valueless.AsArgument());
    EXPECT_EQ(Call(&object, 1000, object1), E_FAIL);
    VARIANT array;
    ::VariantInit(&array);
    array.vt = VT_ARRAY | VT_VARIANT;
    array.parray = ::SafeArrayCreateVector(VT_VARIANT, 0, 2);
    CCallArgs arrayArgs;
    arrayArgs.Variant(array);
    EXPECT_EQ(Call(&object, 1000, arrayArgs), E_FAIL);
    EXPECT_TRUE(g_seen.empty());
    EXPECT_EQ(valueless.References(), 2);
}

TEST_F(DispatchHooker, AFailedArgumentStopsTheCallWhereverItIs) {
    ASSERT_TRUE(object.AddCommand({"three", 3, &Record}));
    CCallArgs args;
    args.Text(L"a").Text(L"b").Null();
    EXPECT_EQ(Call(&object, 1000, args), E_FAIL);
    CCallArgs first;
    first.Null().Text(L"b").Text(L"c");
    EXPECT_EQ(Call(&object, 1000, first), E_FAIL);
    EXPECT_TRUE(g_seen.empty());
}

TEST_F(DispatchHooker, AHandlersResultBecomesAStringAndNoResultLeavesTheVariant) {
    ASSERT_TRUE(object.AddCommand({"silent", 0, &Record}));
    ASSERT_TRUE(object.AddCommand({"answer", 0, &RecordAndAnswer}));
    VARIANT result;
    ::VariantInit(&result);
    result.vt = VT_I4;
    result.lVal = 77;
    CCallArgs none;
    EXPECT_EQ(Call(&object, 1000, none, &result), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 77);

    g_result = "ok";
    ::VariantInit(&result);
    EXPECT_EQ(Call(&object, 1001, none, &result), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(result.bstrVal), L"ok");
    ::VariantClear(&result);

    g_result = Cp936(L"\u5B8C\u6210"); // "完成"
    EXPECT_EQ(Call(&object, 1001, none, &result), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(result.bstrVal), L"\u5B8C\u6210");
    ::VariantClear(&result);

    g_result = "";
    EXPECT_EQ(Call(&object, 1001, none, &result), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(::SysStringLen(result.bstrVal), 0u);
    ::VariantClear(&result);

    // No place for a result: the command still runs.
    EXPECT_EQ(Call(&object, 1001, none, nullptr), S_OK);
    EXPECT_EQ(g_seen.size(), 5u);
}

TEST_F(DispatchHooker, ReferenceCountingIsNominal) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(object.AddRef(), 0u);
        EXPECT_EQ(object.Release(), 0u);
    }
    EXPECT_EQ(object.Release(), 0u);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(object.QueryInterface(IID_IDispatch, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDispatch*>(&object));
    EXPECT_EQ(object.QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<IUnknown*>(&object));
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(object.QueryInterface(IID_IOleObject, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object.QueryInterface(IID_IDispatch, nullptr), E_POINTER);
}

TEST_F(DispatchHooker, OffersNoTypeInformation) {
    UINT count = 5;
    EXPECT_EQ(object.GetTypeInfoCount(&count), E_NOTIMPL);
    EXPECT_EQ(count, 5u);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(object.GetTypeInfo(0, 0, &info), E_NOTIMPL);
}

TEST_F(DispatchHooker, RecordsThatCannotBeCalledAreRefused) {
    EXPECT_FALSE(object.AddCommand({nullptr, 0, &Record}));
    EXPECT_FALSE(object.AddCommand({"a", 0, nullptr}));
    EXPECT_FALSE(object.AddCommand({"b", -1, &Record}));
    EXPECT_FALSE(object.AddCommand({"c", 257, &Record}));
    ASSERT_TRUE(object.AddCommand({"widest", 256, &Record}));
    EXPECT_EQ(Dispid(L"widest"), 1000);

    CCallArgs args;
    for (int i = 0; i < 256; ++i)
        args.Int(i);
    ASSERT_EQ(Call(&object, 1000, args), S_OK);
    ASSERT_EQ(g_seen.size(), 1u);
    ASSERT_EQ(g_seen[0].args.size(), 256u);
    EXPECT_EQ(g_seen[0].args[0], "0");
    EXPECT_EQ(g_seen[0].args[255], "255");
}

TEST_F(DispatchHooker, TextInTheThreadCodePage) {
    ASSERT_TRUE(object.AddCommand({"one", 1, &Record}));
    CCallArgs args;
    args.Text(L"\u4F60\u597D");
    ASSERT_EQ(Call(&object, 1000, args), S_OK);
    CCallArgs outside;
    outside.Text(L"a\u0E01b"); // a Thai letter has no place in code page 936
    ASSERT_EQ(Call(&object, 1000, outside), S_OK);
    CCallArgs nul;
    nul.Text(std::wstring(L"a\0b", 3));
    ASSERT_EQ(Call(&object, 1000, nul), S_OK);
    ASSERT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[0].args[0], "\xC4\xE3\xBA\xC3");
    EXPECT_EQ(g_seen[1].args[0], "a?b");
    // The handler's text ends at the first NUL, as the page's string is cut there.
    EXPECT_EQ(g_seen[2].args[0], "a");
}

TEST_F(DispatchHooker, Utf8CodePageBuffersFollowTheRealConversion) {
    object.m_codePage = CP_UTF8;
    const std::wstring wideName(1000, L'\u540D');
    const std::string name = ToNarrow(wideName, CP_UTF8);
    ASSERT_EQ(name.size(), 3000u);
    ASSERT_TRUE(object.AddCommand({name.c_str(), 1, &RecordAndAnswer}));
    EXPECT_EQ(Dispid(wideName), 1000);

    const std::wstring wideArg(1000, L'\u4E2D');
    g_result = ToNarrow(std::wstring(1000, L'\u6587'), CP_UTF8);
    CCallArgs args;
    args.Text(wideArg);
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(Call(&object, 1000, args, &result), S_OK);
    ASSERT_EQ(g_seen.size(), 1u);
    ASSERT_TRUE(g_seen[0].args[0]);
    EXPECT_EQ(g_seen[0].args[0]->size(), 3000u);
    EXPECT_EQ(*g_seen[0].args[0], ToNarrow(wideArg, CP_UTF8));
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(result.bstrVal), std::wstring(1000, L'\u6587'));
    ::VariantClear(&result);
}

TEST_F(DispatchHooker, MegabyteStringsArriveWhole) {
    ASSERT_TRUE(object.AddCommand({"one", 1, &Record}));
    CCallArgs ascii;
    ascii.Text(std::wstring(1 << 20, L'x'));
    ASSERT_EQ(Call(&object, 1000, ascii), S_OK);
    CCallArgs chinese;
    chinese.Text(std::wstring(1 << 20, L'\u4E2D'));
    ASSERT_EQ(Call(&object, 1000, chinese), S_OK);
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].args[0], std::string(1 << 20, 'x'));
    ASSERT_TRUE(g_seen[1].args[0]);
    EXPECT_EQ(g_seen[1].args[0]->size(), 2u << 20);
}

// A handler that calls the object again from inside its own call.
CDispatchImpl_Hooker* g_reentered = nullptr;
std::string g_innerResult;

const char* Outer(void* context, const char* const* args, int count) {
    std::string before0 = args[0];
    std::string before1 = args[1];
    CCallArgs inner;
    inner.Text(L"zzz");
    VARIANT result;
    ::VariantInit(&result);
    HRESULT hr = Call(g_reentered, 1001, inner, &result);
    g_innerResult = result.vt == VT_BSTR ? BstrToNarrow(result.bstrVal) : "";
    ::VariantClear(&result);
    EXPECT_EQ(hr, S_OK);
    // The outer call's texts are its own.
    EXPECT_EQ(before0, args[0]);
    EXPECT_EQ(before1, args[1]);
    Record(context, args, count);
    return "outer result";
}

const char* Inner(void* context, const char* const* args, int count) {
    Record(context, args, count);
    return "inner result";
}

TEST_F(DispatchHooker, AReentrantCallDoesNotDisturbTheOuterOne) {
    g_reentered = &object;
    ASSERT_TRUE(object.AddCommand({"outer", 2, &Outer}));
    ASSERT_TRUE(object.AddCommand({"inner", 1, &Inner}));
    CCallArgs args;
    args.Text(L"x").Text(L"y");
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(Call(&object, 1000, args, &result), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(result.bstrVal), L"outer result");
    ::VariantClear(&result);
    EXPECT_EQ(g_innerResult, "inner result");
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].args[0], "zzz");
    EXPECT_EQ(g_seen[1].args[0], "x");
    EXPECT_EQ(g_seen[1].args[1], "y");
}

const char* Registers(void*, const char* const*, int) {
    for (int i = 0; i < 50; ++i) {
        std::string* name = new std::string("added" + std::to_string(i)); // outlives the object
        g_reentered->AddCommand({name->c_str(), 0, &Record});
    }
    return "done";
}

TEST_F(DispatchHooker, AHandlerMayRegisterCommandsDuringItsCall) {
    g_reentered = &object;
    ASSERT_TRUE(object.AddCommand({"grow", 0, &Registers}));
    CCallArgs none;
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(Call(&object, 1000, none, &result), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(result.bstrVal), L"done");
    ::VariantClear(&result);
    EXPECT_EQ(Dispid(L"added49"), 1050);
}

// Memory in use: what a leak of written text would keep growing.
SIZE_T WorkingSetBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

TEST_F(DispatchHooker, CallsLeaveNoMemoryBehind) {
    ASSERT_TRUE(object.AddCommand({"answer", 1, &RecordAndAnswer}));
    // Each call converts a megabyte-sized object value, a string argument and
    // a result; kept, they would add up to hundreds of megabytes.
    CValueObject big(std::wstring(1 << 19, L'\u4E2D'));
    g_result.assign(1 << 19, 'r');
    auto run = [&](int times) {
        for (int i = 0; i < times; ++i) {
            CCallArgs args;
            args.Variant(big.AsArgument());
            VARIANT result;
            ::VariantInit(&result);
            ASSERT_EQ(Call(&object, 1000, args, &result), S_OK);
            ::VariantClear(&result);
            g_seen.clear();
        }
    };
    run(10);
    SIZE_T before = WorkingSetBytes();
    ASSERT_GT(before, 0u);
    run(150);
    SIZE_T after = WorkingSetBytes();
    EXPECT_LT(after, before + (64u << 20)) << "before " << before << " after " << after;
    EXPECT_EQ(big.References(), 1);
}

} // namespace
