#pragma once

#include "host/QOVPaths.h"

#include <QString>

#include <cpprest/details/basic_types.h>

// The module's settings file and one record per section. Each section is read from the file the
// first time a client needs it and kept for the life of the process, so an edit takes effect only
// after a restart. Reading is guarded, so two tasks starting at once read a section once.

struct TokenSettings
{
    utility::string_t URL;
};

struct CopywritingSettings
{
    utility::string_t URL;
    utility::string_t APIKey;
    utility::string_t SecretKey;
};

// Caption translation asks the chat service; URL, when given, is a chat address of its own, and
// the copywriting section's address and credentials serve otherwise.
struct TranslateSettings
{
    utility::string_t URL;
};

struct Txt2AudioSettings
{
    utility::string_t URL;
    utility::string_t URLS;
    utility::string_t APIKey;
    utility::string_t SecretKey;
    utility::string_t Cuid;
};

struct Txt2ImgSettings
{
    utility::string_t URL;
    utility::string_t APIKey;
    utility::string_t SecretKey;
};

struct Audio2TxtSettings
{
    utility::string_t URL;
    utility::string_t URLS;
    utility::string_t APIKey;
    utility::string_t SecretKey;
    utility::string_t Cuid;
    // "1": ask the English model for the times of its words. Only the local services know the
    // request member, so it is sent only where the settings say the service takes it.
    utility::string_t WordTimes;
};

// The file-transcription service: a plain-HTTP base address whose path is "/api".
struct FileTranscriptionSettings
{
    utility::string_t URL;
};

// The object store the recognition service reads uploaded audio from: "Endpoint" is a host name,
// optionally with ":port".
struct ObjectStoreSettings
{
    utility::string_t Endpoint;
    utility::string_t AccessKeyId;
    utility::string_t SecretAccessKey;
    utility::string_t Bucket;
};

// The file is AigcSettingsPath(); its [Network] section is read by host/NetworkSettings, since the
// editor's downloads and object store follow it as well.

// Section readers: each fills its record on first use and returns it.
const TokenSettings& LoadTokenSettings();
const CopywritingSettings& LoadCopywritingSettings();
const TranslateSettings& LoadTranslateSettings();
const Txt2AudioSettings& LoadTxt2AudioSettings();
const Txt2ImgSettings& LoadTxt2ImgSettings();
const Audio2TxtSettings& LoadAudio2TxtSettings();
const FileTranscriptionSettings& LoadFileTranscriptionSettings();
const ObjectStoreSettings& LoadObjectStoreSettings();
