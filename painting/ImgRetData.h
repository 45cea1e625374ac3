#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>

// One generated image of a finished task.
struct ImgRetData
{
    utility::string_t conclusion; // the service's content review: "pass" when the image passed
    utility::string_t url;
    int32_t width = 0;
    int32_t height = 0;
    utility::string_t localPath; // output folder and the file name taken from the address
};
