// The product's name, version and rights notice in one place: the version
// resource (resources/tovira.rc), the about dialog and the package read
// them from here. Plain macros, so that the resource compiler can use them.
#ifndef TOVIRA_PRODUCT_INFO_H
#define TOVIRA_PRODUCT_INFO_H

#define TOVIRA_PRODUCT_NAME "Tovira"
#define TOVIRA_VERSION "2.0"
#define TOVIRA_VERSION_FIELDS 2, 0, 0, 0
#define TOVIRA_FILE_VERSION "2.0.0.0"
#define TOVIRA_FILE_DESCRIPTION "Tovira - smileys for your e-mail"
// The one-line rights notice, shown by the about dialog and in the file's properties.
#define TOVIRA_COPYRIGHT "Copyright (C) 2026 Tovira"
#define TOVIRA_WEB_ADDRESS "http://www.tovira.example"
#define TOVIRA_SUPPORT_ADDRESS "support@tovira.example"

#endif
