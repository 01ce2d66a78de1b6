#pragma once

// Posted by the search service with the search string as its object; no user info.
inline constexpr const char* kZqServiceProviderSearchNotification =
    "ZqServiceProviderSearchNotification";
