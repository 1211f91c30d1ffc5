#pragma once
// The name an operator's release gave the executable: the release tool writes
// the product's name and its publisher into the version information.

#include <string>

// The product's name in the ANSI code page when the executable is a branded
// release (its version information names a publisher); empty for the
// client's own build, or for a name the code page cannot show.
std::string BrandedProductName();
