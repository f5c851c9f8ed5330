// Resource lookup shared by the module functions and the version functions (internal to the
// platform library).
#pragma once

#include <memory>

#include <win/winresource.h>

#include "resources/pe_image.h"

namespace palvex::res {

// Reads and checks the PE file at a path as LoadLibraryExW takes it: ERROR_SUCCESS,
// ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED (a folder or an unreadable
// file) or ERROR_BAD_EXE_FORMAT.
DWORD LoadImageFile(LPCWSTR path, std::unique_ptr<pe::PeImage>* image);

// A type or name argument: MAKEINTRESOURCEW(id), "#<decimal id>" or a name.
pe::ResourceKey KeyFromArgument(LPCWSTR argument);

// FindResourceExW's choice within one image: the exact language, or for the neutral language
// the fallback order described with FindResourceExW. ERROR_SUCCESS or a resource error code.
DWORD FindEntry(const pe::PeImage& image, const pe::ResourceKey& type, const pe::ResourceKey& name, WORD language,
                const pe::ResourceEntry** entry);

}  // namespace palvex::res
