// Bitmap resources of the About window. Plain #defines: also read by rc.
#pragma once

#define IDB_ORVANE_LOGO 201
#define IDB_MAKER_LOGO 202
