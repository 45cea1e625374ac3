# Unity builds: each target's sources compiled a few at a time in one translation unit, so the
# heavy headers (Qt, cpprest, gtest) are parsed and their templates instantiated once per batch
# instead of once per file. A file whose file-local names clash with a neighbour's is compiled on
# its own (QOV_UNITY_SKIP).
option(QOV_UNITY "Compile each target's sources in batches" ON)
set(QOV_UNITY_BATCH 8 CACHE STRING "Sources per unity batch")
if(QOV_UNITY)
  set(CMAKE_UNITY_BUILD ON)
  set(CMAKE_UNITY_BUILD_BATCH_SIZE ${QOV_UNITY_BATCH})
endif()

# Marks sources (paths relative to the top folder) to be compiled alone, for the targets of the
# folder that holds them; folders this build leaves out are passed over.
function(qov_unity_skip)
  set(folders ${CMAKE_SOURCE_DIR})
  set(pending ${CMAKE_SOURCE_DIR})
  while(pending)
    list(POP_FRONT pending folder)
    get_property(below DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    list(APPEND folders ${below})
    list(APPEND pending ${below})
  endwhile()
  foreach(source IN LISTS ARGN)
    get_filename_component(folder ${CMAKE_SOURCE_DIR}/${source} DIRECTORY)
    if(folder IN_LIST folders)
      set_source_files_properties(${CMAKE_SOURCE_DIR}/${source} DIRECTORY ${folder}
        PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endforeach()
endfunction()


# File-local names (constants, helpers, fixtures) that two sources of one folder both define.
set(QOV_UNITY_ALONE
  apps/cli/AccountCommand.cpp
  apps/cli/CaptionsCommand.cpp
  apps/cli/DubCommand.cpp
  apps/cli/DubSrtRun.cpp
  apps/cli/DurationCommand.cpp
  apps/cli/ExtractCommand.cpp
  apps/cli/HelpCommand.cpp
  apps/cli/HistoryCommand.cpp
  apps/cli/MuxCommand.cpp
  apps/cli/PaintCommand.cpp
  apps/cli/SubtitlesCommand.cpp
  apps/cli/TranslateCommand.cpp
  apps/cli/WriteCommand.cpp
  apps/studio/CaptionShots.cpp
  apps/studio/DubbingShots.cpp
  apps/studio/PaintingShots.cpp
  apps/studio/ProjectView.cpp
  apps/studio/ScreenshotRun.cpp
  apps/studio/SentenceEditor.cpp
  apps/studio/StudioSettings.cpp
  apps/studio/StudioWindow.cpp
  apps/studio/SubtitlesShots.cpp
  emulator/AudioDecoder.cpp
  emulator/AudioEncoder.cpp
  emulator/ChatService.cpp
  emulator/FaultSetting.cpp
  emulator/FormEncoding.cpp
  emulator/ImageRequest.cpp
  emulator/ImageService.cpp
  emulator/LongSpeechService.cpp
  emulator/MultipartParser.cpp
  emulator/ObjectStoreService.cpp
  emulator/ObjectStoreSignature.cpp
  emulator/RecognitionRequest.cpp
  emulator/RecognitionService.cpp
  emulator/RecognitionTaskStore.cpp
  emulator/ShortSpeechRequest.cpp
  emulator/ShortSpeechService.cpp
  emulator/SpeechSynthesizer.cpp
  emulator/SpeechTaskQueue.cpp
  emulator/TextGenerator.cpp
  emulator/TokenService.cpp
  emulator/TranscriptionTaskStore.cpp
  emulator/main.cpp
  host/CI3Button.cpp
  host/CI3ButtonRanges.cpp
  subtitles/AudioTranscode.cpp
  subtitles/AudioTranscodeText.cpp
  subtitles/CAudio2TxtNetOper.cpp
  subtitles/WaveTransSrt.cpp
  tests/cli/test_cli_captions.cpp
  tests/cli/test_cli_mux.cpp
  tests/cli/test_cli_translate.cpp
  tests/dubbing/test_dubbing_synthesis.cpp
  tests/dubbing/test_dubbing_window.cpp
  tests/emulator/ChatServiceTest.cpp
  tests/emulator/FaultSwitchTest.cpp
  tests/emulator/ImagePictureTest.cpp
  tests/emulator/ImageServiceTest.cpp
  tests/emulator/ImageStyleTest.cpp
  tests/emulator/LongSpeechTest.cpp
  tests/emulator/ObjectStoreTest.cpp
  tests/emulator/RecognitionServiceTest.cpp
  tests/emulator/ShortSpeechTest.cpp
  tests/emulator/TextGeneratorTest.cpp
  tests/emulator/TokenServiceTest.cpp
  tests/emulator/TranscriptionServiceTest.cpp
  tests/service/test_service_task.cpp
  tests/service/test_task_group.cpp
  tests/subtitles/test_subtitle_tasks.cpp
  tests/subtitles/test_wave_to_text.cpp
)
