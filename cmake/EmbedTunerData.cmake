# Turns data/tuners.csv into C++ data at build time, so that the programs carry
# the shipped tuners' bands and read no file for them at run time.
#
#   cmake -DIN=data/tuners.csv -DOUT=ShippedTunerData.cpp -P EmbedTunerData.cmake
#
# The file is ours and small, so anything it does not hold exactly as
# data/README.md describes stops the build with the line at fault, rather than
# shipping a wrong band.

if(NOT IN OR NOT OUT)
    message(FATAL_ERROR "EmbedTunerData.cmake needs -DIN=<tuners.csv> -DOUT=<file.cpp>")
endif()

set(expected_header "name,low_band_start_mhz,mid_band_start_mhz,high_band_start_mhz,high_band_end_mhz,low_cb,mid_cb,high_cb,config,if_mhz,kernel_type,kernel_id")
set(number_pattern "^[0-9]+(\\.[0-9]+)?$")
set(code_pattern "^[0-9A-F][0-9A-F][0-9A-F][0-9A-F]$")

file(STRINGS ${IN} lines ENCODING UTF-8)
list(LENGTH lines line_count)
if(line_count LESS 2)
    message(FATAL_ERROR "${IN}: no tuners")
endif()
list(GET lines 0 header)
if(NOT header STREQUAL expected_header)
    message(FATAL_ERROR "${IN}: the header is not\n${expected_header}")
endif()
list(REMOVE_AT lines 0)

set(rows "")
set(line_number 1)
foreach(line IN LISTS lines)
    math(EXPR line_number "${line_number} + 1")
    # The name is the one field that may be quoted (it may hold commas); no
    # name holds a quote.
    if(line MATCHES "^\"([^\"]*)\",(.*)$")
        set(name "${CMAKE_MATCH_1}")
        set(rest "${CMAKE_MATCH_2}")
    elseif(line MATCHES "^([^\",]+),(.*)$")
        set(name "${CMAKE_MATCH_1}")
        set(rest "${CMAKE_MATCH_2}")
    else()
        message(FATAL_ERROR "${IN}:${line_number}: the name is neither plain nor quoted")
    endif()
    if(name MATCHES "\\\\")
        message(FATAL_ERROR "${IN}:${line_number}: a backslash in the name")
    endif()
    string(REPLACE "," ";" fields "${rest}")
    list(LENGTH fields field_count)
    if(NOT field_count EQUAL 11)
        message(FATAL_ERROR "${IN}:${line_number}: ${field_count} fields after the name, not 11")
    endif()
    list(GET fields 0 low)
    list(GET fields 1 mid)
    list(GET fields 2 high)
    list(GET fields 3 end)
    list(GET fields 4 low_code)
    list(GET fields 5 mid_code)
    list(GET fields 6 high_code)
    list(GET fields 8 carrier)
    foreach(value IN ITEMS ${low} ${mid} ${high} ${end} ${carrier})
        if(NOT value MATCHES "${number_pattern}")
            message(FATAL_ERROR "${IN}:${line_number}: \"${value}\" is not a frequency in MHz")
        endif()
    endforeach()
    foreach(code IN ITEMS ${low_code} ${mid_code} ${high_code})
        if(NOT code MATCHES "${code_pattern}")
            message(FATAL_ERROR "${IN}:${line_number}: \"${code}\" is not four upper-case hex digits")
        endif()
    endforeach()
    string(APPEND rows "    {\"${name}\", ${low}, ${mid}, ${high}, ${end}, 0x${low_code}, 0x${mid_code}, 0x${high_code}, ${carrier}},\n")
endforeach()

set(text "// Made at build time from data/tuners.csv by cmake/EmbedTunerData.cmake: do not edit.\n")
string(APPEND text "#include \"tables/catalogue/ShippedTuners.h\"\n\n")
string(APPEND text "extern const ShippedTuner kShippedTunerData[];\nextern const std::size_t kShippedTunerDataCount;\n\n")
string(APPEND text "const ShippedTuner kShippedTunerData[] = {\n${rows}};\n")
string(APPEND text "const std::size_t kShippedTunerDataCount = sizeof kShippedTunerData / sizeof kShippedTunerData[0];\n")

# Written only when it changed, so that an unchanged table rebuilds nothing.
file(CONFIGURE OUTPUT ${OUT} CONTENT "${text}" @ONLY)
