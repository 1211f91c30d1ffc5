#pragma once
// What an installation keeps about updates in its release's per-user
// folder: its roll-out place, drawn once, and a short log of the checks
// that a player can send to the operator's support.

#include <string>
#include <string_view>

// This installation's place in 0-99, read from `folder`, or drawn once
// with the system's random numbers and kept there. A roll-out of N % offers
// the update to places below N, so widening it only adds installations.
// 0 when nothing can be drawn (the update then reaches any roll-out).
unsigned RolloutPlace(const std::wstring& folder);

// The update log in `folder`: each line stamped with the UTC time, the
// newest kept when it grows past its cap.
class CUpdateLog {
public:
    explicit CUpdateLog(std::wstring folder) : m_folder(std::move(folder)) {}

    void Add(std::string_view line) const;
    std::wstring Path() const;

    static constexpr std::size_t kCap = 32 * 1024;

private:
    std::wstring m_folder;
};

inline constexpr wchar_t kRolloutPlaceFile[] = L"update-place.txt";
inline constexpr wchar_t kUpdateLogFile[] = L"update.log";
