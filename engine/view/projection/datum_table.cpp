#include "engine/view/projection/datum_table.h"

#include <algorithm>
#include <cstring>

namespace {

// Ellipsoid shifts and origin shifts to WGS-84 after the three-parameter
// datum shifts of the Defense Mapping Agency's TR 8350.2. The engine reads only
// names and indexes; rows without a kept origin shift carry 0.
constexpr DatumInfo kDatums[kDatumRowCount] = {
    {"<None>", "", 0.0, 0.0, 0, 0, 0},                                                            // 0
    {"Adindan", "Clarke_1880", -112.145, -0.54750714, -166, -15, 204},                            // 1
    {"AFG", "Krassovsky", -108.0, 0.00480795, -43, -163, 45},                                     // 2
    {"Ain_El_Abd_1970", "International", -251.0, -0.14192702, -150, -250, -1},                    // 3
    {"Alaska_(NAD-27)", "Clarke_1866", -69.4, -0.37264639, -5, 135, 172},                         // 4
    {"Alaska/Canada_NAD-27", "Clarke_1866", -69.4, -0.37264639, 0, 0, 0},                         // 5
    {"Anna_1_Astro_1965", "Australian_National", -23.0, -0.00081204, -491, -22, 435},             // 6
    {"ARC-1950_mean", "Clarke_1880", -112.145, -0.54750714, -143, -90, -294},                     // 7
    {"ARC-1960_mean", "Clarke_1880", -112.145, -0.54750714, -160, -6, -302},                      // 8
    {"Ascension_Island_'58", "International", -251.0, -0.14192702, -205, 107, 53},                // 9
    {"Astro_B4_Sor.Atoll", "International", -251.0, -0.14192702, 114, -116, -333},                // 10
    {"Astro_Beacon_\"E\"", "International", -251.0, -0.14192702, 145, 75, -272},                  // 11
    {"Astro_Pos_71/4", "International", -251.0, -0.14192702, -320, 550, -494},                    // 12
    {"Astronomic_Stn._'52", "International", -251.0, -0.14192702, 124, -234, -25},                // 13
    {"Australian_Geodetic_1984", "Australian_National", -23.0, -0.00081204, -134, -48, 149},      // 14
    {"Bahamas_(NAD-27)", "Clarke_1866", -69.4, -0.37264639, -4, 154, 178},                        // 15
    {"Bellevue_(IGN)", "International", -251.0, -0.14192702, -127, -769, 472},                    // 16
    {"Bermuda_1957", "Clarke_1866", -69.4, -0.37264639, -73, 213, 296},                           // 17
    {"Bogota_Observatory", "International", -251.0, -0.14192702, 307, 304, -318},                 // 18
    {"Bukit_Rimpah", "Bessel_1841", 739.845, 0.10037483, -384, 664, -48},                         // 19
    {"Camp_Area_Astro", "International", -251.0, -0.14192702, -104, -129, 239},                   // 20
    {"Campo_Inchauspe", "International", -251.0, -0.14192702, -148, 136, 90},                     // 21
    {"Canada_Mean_(NAD27)", "Clarke_1866", -69.4, -0.37264639, -10, 158, 187},                    // 22
    {"Canal_Zone_(NAD27)", "Clarke_1866", -69.4, -0.37264639, 0, 125, 201},                       // 23
    {"Canton_Island_1966", "International", -251.0, -0.14192702, 298, -304, -375},                // 24
    {"Cape", "Clarke_1880", -112.145, -0.54750714, -136, -108, -292},                             // 25
    {"Cape_Canaveral_mean", "Clarke_1866", -69.4, -0.37264639, -2, 151, 181},                     // 26
    {"Carribean_(NAD27)", "Clarke_1866", -69.4, -0.37264639, -7, 152, 178},                       // 27
    {"Carthage", "Clarke_1880", -112.145, -0.54750714, -263, 6, 431},                             // 28
    {"Central_America_(NAD27)", "Clarke_1866", -69.4, -0.37264639, 0, 125, 194},                  // 29
    {"Chatham_1971", "International", -251.0, -0.14192702, 175, -38, 113},                        // 30
    {"Chua_Astro", "International", -251.0, -0.14192702, -134, 229, -29},                         // 31
    {"Corrego_Alegre", "International", -251.0, -0.14192702, -206, 172, -6},                      // 32
    {"Corrego_Alegre_(Provisional)", "International", -251.0, -0.14192702, 0, 0, 0},              // 33
    {"Cuba_(NAD27)", "Clarke_1866", -69.4, -0.37264639, -9, 152, 178},                            // 34
    {"Cyprus", "International", -251.0, -0.14192702, -104, -101, -140},                           // 35
    {"Djakarta(Batavia)", "Bessel_1841", 739.845, 0.10037483, -377, 681, -50},                    // 36
    {"DOS_1968", "International", -251.0, -0.14192702, 230, -199, -752},                          // 37
    {"Easter_lsland_1967", "International", -251.0, -0.14192702, 211, 147, 111},                  // 38
    {"Egypt", "International", -251.0, -0.14192702, -130, -117, -151},                            // 39
    {"European_1950", "International", -251.0, -0.14192702, -87, -96, -120},                      // 40
    {"European_1950_mean", "International", -251.0, -0.14192702, -87, -98, -121},                 // 41
    {"European_1979_mean", "International", -251.0, -0.14192702, -86, -98, -119},                 // 42
    {"Finnish_Nautical_Chart", "International", -251.0, -0.14192702, 0, 0, 0},                    // 43
    {"Gandajika_Base", "International", -251.0, -0.14192702, -133, -321, 50},                     // 44
    {"Geodetic_Datum_'49", "International", -251.0, -0.14192702, 84, -22, 209},                   // 45
    {"Ghana", "WGS-84", 0.0, 0.0, 0, 0, 0},                                                       // 46
    {"Greenland_(NAD27)", "Clarke_1866", -69.4, -0.37264639, 11, 114, 195},                       // 47
    {"Guam_1963", "Clarke_1866", -69.4, -0.37264639, -100, -248, 259},                            // 48
    {"Gunung_Segara", "Bessel_1841", 739.845, 0.10037483, -403, 684, 41},                         // 49
    {"Gunung_Serindung_1962", "WGS-84", 0.0, 0.0, 0, 0, 0},                                       // 50
    {"GUX_1_Astro", "International", -251.0, -0.14192702, 252, -209, -751},                       // 51
    {"Herat_North", "International", -251.0, -0.14192702, -333, -222, 114},                       // 52
    {"Hjorsey_1955", "International", -251.0, -0.14192702, -73, 46, -86},                         // 53
    {"Hong_Kong_1963", "International", -251.0, -0.14192702, -156, -271, -189},                   // 54
    {"Hu-Tzu-Shan", "International", -251.0, -0.14192702, -637, -549, -203},                      // 55
    {"Indian", "Everest", 860.655, 0.28361368, 214, 836, 303},                                    // 56
    {"Iran", "International", -251.0, -0.14192702, -117, -132, -164},                             // 57
    {"Ireland_1965", "Modified_Airy", 796.811, 0.11960023, 506, -122, 611},                       // 58
    {"ISTS_073_Astro_'69", "International", -251.0, -0.14192702, 208, -435, -229},                // 59
    {"Johnston_Island_'61", "International", -251.0, -0.14192702, 189, -79, -202},                // 60
    {"Kandawala", "Everest", 860.655, 0.28361368, -97, 787, 86},                                  // 61
    {"Kerguelen_Island", "International", -251.0, -0.14192702, 145, -187, 103},                   // 62
    {"Kertau_'48", "Modified_Everest", 832.937, 0.28361368, -11, 851, 5},                         // 63
    {"L.C._5_Astro", "Clarke_1866", -69.4, -0.37264639, 42, 124, 147},                            // 64
    {"La_Reunion", "International", -251.0, -0.14192702, 94, -948, -1262},                        // 65
    {"Liberia_1964", "Clarke_1880", -112.145, -0.54750714, -90, 40, 88},                          // 66
    {"Mahe_1971", "Clarke_1880", -112.145, -0.54750714, 41, -220, -134},                          // 67
    {"Marco_Astro", "International", -251.0, -0.14192702, -289, -124, 60},                        // 68
    {"Masirah_Is._(Nahrwan)", "Clarke_1880", -112.145, -0.54750714, -247, -148, 369},             // 69
    {"Massawa", "Bessel_1841", 739.845, 0.10037483, 639, 405, 60},                                // 70
    {"Merchich", "Clarke_1880", -112.145, -0.54750714, 31, 146, 47},                              // 71
    {"Mexico_(NAD27)", "Clarke_1866", -69.4, -0.37264639, -12, 130, 190},                         // 72
    {"Midway_Astro_'61", "International", -251.0, -0.14192702, 912, -58, 1227},                   // 73
    {"Mindanao", "Clarke_1866", -69.4, -0.37264639, -133, -77, -51},                              // 74
    {"Minna", "Clarke_1880", -112.145, -0.54750714, -92, -93, 122},                               // 75
    {"Montjong_Lowe", "WGS-84", 0.0, 0.0, 0, 0, 0},                                               // 76
    {"Nahrwan", "Clarke_1880", -112.145, -0.54750714, 0, 0, 0},                                   // 77
    {"Naparima_BWI", "International", -251.0, -0.14192702, -10, 375, 165},                        // 78
    {"North_America_'83", "GRS_80", 0.0, -0.00000016, 0, 0, 0},                                   // 79
    {"North_America_1927_mean", "Clarke_1866", -69.4, -0.37264639, -8, 160, 176},                 // 80
    {"Observatorio_1966", "International", -251.0, -0.14192702, -425, -169, 81},                  // 81
    {"Old_Hawaiian_mean", "Clarke_1866", -69.4, -0.37264639, 61, -285, -181},                     // 82
    {"Old_Hawaiian_Kauai", "Clarke_1866", -69.4, -0.37264639, 45, -290, -172},                    // 83
    {"Old_Hawaiian_Maui", "Clarke_1866", -69.4, -0.37264639, 65, -290, -190},                     // 84
    {"Old_Hawaiian_Oahu", "Clarke_1866", -69.4, -0.37264639, 58, -283, -182},                     // 85
    {"Oman", "Clarke_1880", -112.145, -0.54750714, -346, -1, 224},                                // 86
    {"Ordnance_Survey_of_Gr._Britain_'36", "Airy", 573.604, 0.11960023, 375, -111, 431},          // 87
    {"Pico_De_Las_Nieves", "International", -251.0, -0.14192702, -307, -92, 127},                 // 88
    {"Pitcairn_Astro_'67", "International", -251.0, -0.14192702, 185, 165, 42},                   // 89
    {"Provisional_S._American_1956_mean", "International", -251.0, -0.14192702, -288, 175, -376}, // 90
    {"Provisional_South_Chilean_1963", "International", -251.0, -0.14192702, 16, 196, 93},        // 91
    {"Puerto_Rico", "Clarke_1866", -69.4, -0.37264639, 11, 72, -101},                             // 92
    {"Qornoq", "International", -251.0, -0.14192702, 164, 138, -189},                             // 93
    {"Quatar_National", "International", -251.0, -0.14192702, -128, -283, 22},                    // 94
    {"Rome_1940", "International", -251.0, -0.14192702, -225, -65, 9},                            // 95
    {"S.E.Asia_(Indian)", "South_American_1969", -23.0, -0.00081204, 0, 0, 0},                    // 96
    {"Santa_Braz", "International", -251.0, -0.14192702, -203, 141, 53},                          // 97
    {"Santo_(DOS)", "International", -251.0, -0.14192702, 170, 42, 84},                           // 98
    {"Sapper_Hill_'43", "International", -251.0, -0.14192702, -355, 21, 72},                      // 99
    {"Schwarzeck", "Bessel_1841_Namibia", 653.135, 0.10037483, 616, 97, -251},                    // 100
    {"Sicily", "International", -251.0, -0.14192702, 0, 0, 0},                                    // 101
    {"Sierra_Leone_1960", "WGS-84", 0.0, 0.0, 0, 0, 0},                                           // 102
    {"South_American_1969_mean", "South_American_1969", -23.0, -0.00081204, -57, 1, -41},         // 103
    {"South_Asia", "Modified_Fischer'60", -18.0, 0.00480795, 7, -10, -26},                        // 104
    {"Southeast_Base", "International", -251.0, -0.14192702, -499, -249, 314},                    // 105
    {"Southwest_Base", "International", -251.0, -0.14192702, -104, 167, -38},                     // 106
    {"Tananarive_Observatory_'25", "International", -251.0, -0.14192702, -189, -242, -91},        // 107
    {"Thai/Viet_(Indian)", "Everest", 860.655, 0.28361368, 214, 836, 303},                        // 108
    {"Timbalai_1948", "Everest", 860.655, 0.28361368, -679, 669, -48},                            // 109
    {"Tokyo_mean", "Bessel_1841", 739.845, 0.10037483, -128, 481, 664},                           // 110
    {"Tristan_Astro_1968", "International", -251.0, -0.14192702, -632, 438, -609},                // 111
    {"Unites_Arab_Emirates_(Nahrwan)", "Clarke_1880", -112.145, -0.54750714, -249, -156, 381},    // 112
    {"Viti_Levu_1916", "Clarke_1880", -112.145, -0.54750714, 51, 391, -36},                       // 113
    {"Wake-Eniwetok_'60", "Hough", -133.0, -0.14192702, 102, 52, -38},                            // 114
    {"WGS-72", "WGS-72", 2.0, 0.0003121057, 0, 0, 5},                                             // 115
    {"WGS-84", "WGS-84", 0.0, 0.0, 0, 0, 0},                                                      // 116
    {"Yacare", "International", -251.0, -0.14192702, -155, 171, 37},                              // 117
    {"Zanderij", "International", -251.0, -0.14192702, -265, 120, -358},                          // 118
    {"", "", 0.0, 0.0, 0, 0, 0}, // 119: ends walks that stop at an empty name
};

} // namespace

const DatumInfo *DatumTable() { return kDatums; }

int DatumIDGet(const char *name)
{
    if (!name)
        return -1;
    for (int i = 0; i < kDatumRowCount; ++i)
        if (std::strcmp(kDatums[i].name, name) == 0)
            return i;
    return -1;
}

int DatumNameGet(int index, std::string &name)
{
    if (index < 0 || index >= kDatumRowCount)
        return 0;
    name = kDatums[index].name;
    return 1;
}

int DatumNameGet(int index, char *buffer, int length)
{
    if (index < 0 || index >= kDatumRowCount)
        return 0;
    if (buffer && length > 0) {
        const size_t n = std::min(std::strlen(kDatums[index].name), size_t(length - 1));
        std::memcpy(buffer, kDatums[index].name, n);
        buffer[n] = '\0';
    }
    return 1;
}
