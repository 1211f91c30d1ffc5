#pragma once
// Something that can be asked to draw itself again.

#include <cstdint>

class IRenderListener {
public:
    virtual ~IRenderListener() = default;
    virtual void OnRenderRequest(std::uintptr_t context) = 0;
};
