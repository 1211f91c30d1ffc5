#pragma once
// Writes test images as PNG files through GDI+ (which must be running).

#include <windows.h>

#include <functional>
#include <string>

// A width x height PNG whose pixel (x, y) is pixel(x, y) as 0xAARRGGBB.
bool WritePng(const std::string& path, int width, int height,
              const std::function<UINT32(int x, int y)>& pixel);

// Starts GDI+ for the lifetime of the object.
class CGdiplusSession {
public:
    CGdiplusSession();
    ~CGdiplusSession();
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;

private:
    ULONG_PTR m_token = 0;
};
