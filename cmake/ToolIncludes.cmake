# The tools sit side by side above the layers they share: what two of them need lives below them
# (service/, mediakit/), never in one tool's folder for another to include. A new tool is one more
# word in this list.
set(QOV_TOOL_FOLDERS copywriting dubbing painting subtitles translation)

# Stops the configuration at a tool's source that includes another tool's header, naming every
# such line. The layers' include roots stop most of these at build time already, but not where a
# target links two tools' libraries, as the command line and the studio do.
function(qov_check_tool_includes)
  set(found)
  foreach(tool IN LISTS QOV_TOOL_FOLDERS)
    set(others ${QOV_TOOL_FOLDERS})
    list(REMOVE_ITEM others ${tool})
    list(JOIN others "|" alternatives)
    file(GLOB_RECURSE sources RELATIVE ${PROJECT_SOURCE_DIR}
      ${PROJECT_SOURCE_DIR}/${tool}/*.h ${PROJECT_SOURCE_DIR}/${tool}/*.cpp)
    foreach(source IN LISTS sources)
      file(READ ${PROJECT_SOURCE_DIR}/${source} text)
      string(REGEX MATCHALL "#[ \t]*include[ \t]*[\"<](${alternatives})/[^\">\n]*[\">]" includes "${text}")
      list(REMOVE_DUPLICATES includes)
      foreach(include IN LISTS includes)
        # The line of its first appearance: the newlines before it, plus one.
        string(FIND "${text}" "${include}" at)
        string(SUBSTRING "${text}" 0 ${at} before)
        string(REGEX REPLACE "[^\n]" "" newlines "${before}")
        string(LENGTH "${newlines}" line)
        math(EXPR line "${line} + 1")
        list(APPEND found "  ${source}:${line}: ${include}")
      endforeach()
    endforeach()
  endforeach()
  if(found)
    list(JOIN found "\n" lines)
    message(FATAL_ERROR "A tool includes another tool's header; move what they share into a layer "
      "below the tools (service/, mediakit/):\n${lines}")
  endif()
endfunction()
