// Who makes Roamlets and where to find it: shown in the About dialog and the
// version record, and opened from the About dialog's link.
#ifndef ROAMLETS_RESOURCES_MAKER_H
#define ROAMLETS_RESOURCES_MAKER_H

#define ROAMLETS_MAKER_NAME "The Roamlets Project"
#define ROAMLETS_COPYRIGHT "Copyright (C) 2026 The Roamlets Project"
// The link's text, and the address the shell opens for it. The domain is one
// reserved for examples, so the link can never lead to somebody else's site.
#define ROAMLETS_WEB_ADDRESS_TEXT "roamlets.example.org"
#define ROAMLETS_WEB_ADDRESS "https://roamlets.example.org/"

#endif
