// tests/controls/GalleryResource.h
// Resource ids of the control gallery, a dialog that exists only in the tests.
#ifndef TAVISK_TESTS_CONTROLS_GALLERYRESOURCE_H
#define TAVISK_TESTS_CONTROLS_GALLERYRESOURCE_H

#define IDD_GALLERY 3001

#define IDC_G_LABEL 3101
#define IDC_G_LABEL_GRADIENT 3102
#define IDC_G_LABEL_CENTER 3103
#define IDC_G_LABEL_LINK 3104
#define IDC_G_LABEL_FLASH 3105
#define IDC_G_LABEL_RIGHT 3106
#define IDC_G_LINK 3201
#define IDC_G_LINK_CENTER 3202
#define IDC_G_LINK_RIGHT 3203
#define IDC_G_LINK_ICON 3204
#define IDC_G_MASK 3301
#define IDC_G_MASK_HEX 3302

#endif
