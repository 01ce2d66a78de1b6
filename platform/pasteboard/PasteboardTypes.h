#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velquarin::platform {

// Type identifiers of the pasteboard, with the older names that compare equal to them.
inline constexpr const char* kPasteboardTypeString = "public.utf8-plain-text";
inline constexpr const char* kPasteboardTypeHTML = "public.html";
inline constexpr const char* kPasteboardTypeURL = "public.url";
inline constexpr const char* kPasteboardTypeFileURL = "public.file-url";
inline constexpr const char* kPasteboardTypePNG = "public.png";
inline constexpr const char* kPasteboardTypeTIFF = "public.tiff";
inline constexpr const char* kPasteboardTypeJPEG = "public.jpeg";
inline constexpr const char* kPasteboardTypeGIF = "com.compuserve.gif";
inline constexpr const char* kStringPboardType = "NSStringPboardType";
inline constexpr const char* kURLPboardType = "Apple URL pasteboard type";
inline constexpr const char* kFilenamesPboardType = "NSFilenamesPboardType";

// The name a type is stored and compared under: an older alias becomes its identifier
// ("NSStringPboardType" is "public.utf8-plain-text"); any other name is itself.
std::string canonicalPasteboardType(std::string_view type);
bool pasteboardTypesEqual(std::string_view a, std::string_view b);

// Types whose data an image can be decoded from (BMP is not among them).
bool isDecodableImageType(std::string_view type);

// The desktop clipboard's names (X11 targets, MIME types) for a type, best first; a type
// without a known target is offered under its own name, so foreign contents round-trip.
std::vector<std::string> clipboardTargetsForType(std::string_view type);
// The type a clipboard target reads as, or nullopt for a meta target (TARGETS, TIMESTAMP...).
std::optional<std::string> pasteboardTypeForTarget(std::string_view target);
// Targets that carry file URLs rather than data of their own.
bool isFileListTarget(std::string_view target);

// Text conversions the STRING target needs: Latin-1 both ways ('?' for what it cannot hold).
std::string utf8ToLatin1(std::string_view utf8);
std::string latin1ToUtf8(std::string_view latin1);
bool isValidUtf8(std::string_view text);

// "file:" URLs of a text/uri-list (CRLF or LF lines, '#' comments) or of
// x-special/gnome-copied-files (an action line, then one URL a line); other schemes are left
// out. Both writers take URLs and give the target's bytes.
std::vector<std::string> fileURLsFromURIList(std::string_view text);
std::vector<std::string> fileURLsFromCopiedFiles(std::string_view text);
std::string uriListFromURLs(const std::vector<std::string>& urls);
std::string copiedFilesFromURLs(const std::vector<std::string>& urls);

// The path of a local file URL: scheme "file", host empty or "localhost", percent-decoded;
// nullopt for anything else or for a path holding NUL. A path becomes a URL the other way.
std::optional<std::string> pathFromFileURL(std::string_view url);
std::string fileURLFromPath(std::string_view path);

}  // namespace velquarin::platform
