#pragma once
// The name an operator's release gave the executable: the release tool writes
// the product's name, its publisher, the release's id and its version into
// the version information. And the per-user folder the release keeps its
// own files in.

#include <string>

// The product's name in the ANSI code page when the executable is a branded
// release (its version information names a publisher); empty for the
// client's own build, or for a name the code page cannot show.
std::string BrandedProductName();

// The release's id (the version information's InternalName) and its
// version ("x.y.z", its FileVersion) when the executable is a branded
// release; empty for the client's own build.
struct ReleaseIdentity {
    std::string id;
    std::string version;
};
ReleaseIdentity BrandedReleaseIdentity();

// The per-user application data folder of release `id`
// ("%LOCALAPPDATA%\<id>\"), created on demand; empty when it cannot be
// made. Everything the release writes for the player (the update log,
// the roll-out place) goes there.
std::wstring ReleaseDataFolder(const std::string& id);
