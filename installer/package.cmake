# Makes a release of the client with one skin: a zip, an installer and a kit
# for skin authors.
#
#   cmake -DSKIN_DIR=... -DBIN_DIR=... -DVERSION=1.0.0.1 -DPRODUCT_KEY=GameClient
#         -DSTAGE_DIR=... -DOUTPUT_DIR=...
#         [-DSIGN_PFX=cert.pfx -DSIGN_PASSWORD_FILE=... [-DTIMESTAMP_URL=...]]
#         [-DUPDATE_KEY=private.pem [-DUPDATE_NOTES=notes.txt] [-DUPDATE_ROLLOUT=0..100]
#          [-DUPDATE_MINIMUM_VERSION=x.y.z]]
#         -P installer/package.cmake
#
# BIN_DIR holds the built client.exe, release.exe (the release tool),
# preview.exe and skincheck.exe; TOOLS_DIR, when given, the release tool to
# run here instead (a 64-bit one brands a 32-bit client as well, on machines
# that run no 32-bit programs). The release is of the client's architecture:
# x86_64 by default, or i686, whose file names end in -x86 (a 32-bit
# installer, for 32-bit Windows). A skin is its config.xml and data\ folder, and optionally release.ini (the
# release description, docs/releases.md) naming the operator's release;
# anything else in SKIN_DIR (the demo's sample pages, for one) stays out of
# the zip and the installer. Without a description the release is the
# client's own: "Game client", id PRODUCT_KEY, the project's version. The
# zip and the installer carry the client, config.xml and data\ and nothing
# else, named <id>-<x.y.z>.zip and <id>-<x.y.z>-setup.exe in OUTPUT_DIR
# (game-client-... without a description), beside <...>-skin-kit.zip.
# Nothing is written to OUTPUT_DIR until all three are made.
#
# With UPDATE_KEY (the private half of the key the description's update_key
# holds) the update description <id>-update.json, which names the
# installer, its size and SHA-256, and its signature <id>-update.json.sig
# are written beside them (docs/releases.md, "Updates"); the i686 release's
# is its own, <id>-update-x86.json, which its client looks for at the
# address the release tool derives from update_url.

foreach(arg SKIN_DIR BIN_DIR VERSION PRODUCT_KEY STAGE_DIR OUTPUT_DIR)
    if(NOT DEFINED ${arg})
        message(FATAL_ERROR "package.cmake needs -D${arg}=...")
    endif()
endforeach()
foreach(part config.xml data)
    if(NOT EXISTS "${SKIN_DIR}/${part}")
        message(FATAL_ERROR "${SKIN_DIR} is not a skin: it has no ${part}")
    endif()
endforeach()
set(root "${CMAKE_CURRENT_LIST_DIR}/..")
set(CLIENT "${BIN_DIR}/client.exe")
set(KIT_TOOLS "${BIN_DIR}/preview.exe" "${BIN_DIR}/skincheck.exe")
if(NOT DEFINED TOOLS_DIR)
    set(TOOLS_DIR "${BIN_DIR}")
endif()

# x86_64 or i686: the machine type in the client's PE header.
file(READ "${CLIENT}" pe_at OFFSET 60 LIMIT 4 HEX)
string(REGEX REPLACE "(..)(..)(..)(..)" "0x\\4\\3\\2\\1" pe_at "${pe_at}")
math(EXPR machine_at "${pe_at} + 4")
file(READ "${CLIENT}" machine OFFSET ${machine_at} LIMIT 2 HEX)
if(machine STREQUAL "6486")
    set(ARCH x86_64)
    set(arch_suffix "")
elseif(machine STREQUAL "4c01")
    set(ARCH i686)
    set(arch_suffix "-x86")
else()
    message(FATAL_ERROR "${CLIENT} is neither a 64-bit nor a 32-bit Windows program")
endif()

# The skin's files as the release will hold them, their names checked first.
# A ";" in a name would split it in two in CMake's lists: Windows allows it,
# but the names below would no longer be the files'.
file(GLOB_RECURSE split_names RELATIVE "${SKIN_DIR}" "${SKIN_DIR}/data/*[;]*")
if(split_names)
    message(FATAL_ERROR "The skin's file name \"${split_names}\" cannot be installed: it holds \";\"")
endif()
file(GLOB_RECURSE skin_files RELATIVE "${SKIN_DIR}" "${SKIN_DIR}/data/*")
foreach(file IN LISTS skin_files)
    # Names Windows refuses, or that NSIS would read as its variables.
    if(file MATCHES "[<>:\"\\\\|?*$]")
        message(FATAL_ERROR "The skin's file name \"${file}\" cannot be installed")
    endif()
endforeach()
set(sign_file "${CMAKE_CURRENT_LIST_DIR}/sign-file")

# makensis and the zip writer convert the skin's (possibly Chinese) file names
# from the locale's character set: without UTF-8 they fail.
set(ENV{LC_ALL} C.UTF-8)

# A path as the Windows tools under Wine see it.
function(windows_path out path)
    string(REPLACE "/" "\\" path "${path}")
    set(${out} "Z:${path}" PARENT_SCOPE)
endfunction()

# `!define NAME "value"` lines carrying text exactly as the release
# description gave it. NAME holds it for what the installer shows and writes
# ($ starts its variables there: $$); NAME_VI for its version information,
# which is written as the compiler reads it (a $ is given as its character
# code). The reader refuses "${" and "$\", which no quoting carries.
function(nsis_define out name value)
    string(REPLACE "$" "$$" shown "${value}")
    string(REPLACE "\"" "$\\\"" shown "${shown}")
    string(REPLACE "$" "\${U+24}" written "${value}")
    string(REPLACE "\"" "$\\\"" written "${written}")
    set(${out} "${${out}}!define ${name} \"${shown}\"\n!define ${name}_VI \"${written}\"\n"
        PARENT_SCOPE)
endfunction()

# Stops when the certificate cannot sign code: a wrong password, expired,
# or not meant for code signing.
function(check_certificate pfx password_file work)
    find_program(OPENSSL openssl)
    find_program(OSSLSIGNCODE osslsigncode)
    if(NOT OPENSSL OR NOT OSSLSIGNCODE)
        message(FATAL_ERROR "Signing needs openssl and osslsigncode: scripts/setup installs them")
    endif()
    if(NOT EXISTS "${pfx}")
        message(FATAL_ERROR "The certificate ${pfx} does not exist")
    endif()
    set(pem "${work}/certificate.pem")
    foreach(legacy "" "-legacy")
        execute_process(COMMAND "${OPENSSL}" pkcs12 ${legacy} -in "${pfx}" -passin
                                "file:${password_file}" -nokeys -clcerts -out "${pem}"
                        RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
        if(NOT failed)
            break()
        endif()
    endforeach()
    if(failed)
        message(FATAL_ERROR "The certificate ${pfx} cannot be opened: its password is wrong, "
                            "or it is not a PKCS#12 (.pfx) file")
    endif()
    execute_process(COMMAND "${OPENSSL}" x509 -in "${pem}" -noout -checkend 0
                    RESULT_VARIABLE expired OUTPUT_QUIET)
    if(expired)
        execute_process(COMMAND "${OPENSSL}" x509 -in "${pem}" -noout -enddate
                        OUTPUT_VARIABLE end OUTPUT_STRIP_TRAILING_WHITESPACE)
        message(FATAL_ERROR "The certificate ${pfx} has expired (${end})")
    endif()
    execute_process(COMMAND "${OPENSSL}" x509 -in "${pem}" -noout -ext extendedKeyUsage
                    OUTPUT_VARIABLE usage ERROR_QUIET)
    if(NOT usage MATCHES "Code Signing")
        message(FATAL_ERROR "The certificate ${pfx} is not meant for code signing: it has no "
                            "Code Signing extended key usage")
    endif()
endfunction()

# `text` as a JSON string.
function(json_string out text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(REPLACE "\n" "\\n" text "${text}")
    string(REPLACE "\r" "\\r" text "${text}")
    string(REPLACE "\t" "\\t" text "${text}")
    set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

# Stops unless the update options make a description the branded client
# will trust: its key the private half of the skin's update_key, a roll-out
# from 0 to 100, a minimum version not above the release's, notes in UTF-8.
# Sets update_notes (the notes' text) and update_rollout.
function(check_update_options)
    if(NOT RELEASE_DESCRIBED OR RELEASE_UPDATE_URL STREQUAL "")
        message(FATAL_ERROR "An update description needs update_url and update_key in the "
                            "skin's release.ini. No release was made.")
    endif()
    # The skin kit carries the whole skin folder.
    file(REAL_PATH "${UPDATE_KEY}" private)
    file(REAL_PATH "${SKIN_DIR}" skin)
    string(FIND "${private}" "${skin}/" inside)
    if(inside EQUAL 0)
        message(FATAL_ERROR "The update key ${UPDATE_KEY} lies in the skin folder, which the "
                            "skin kit carries: keep it elsewhere. No release was made.")
    endif()
    string(REPLACE "\\" "/" public "${SKIN_DIR}/${RELEASE_UPDATE_KEY}")
    execute_process(COMMAND openssl pkey -in "${UPDATE_KEY}" -pubout -outform DER
                            -out "${work}/signing-public.der"
                    RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
    if(failed)
        message(FATAL_ERROR "The update key ${UPDATE_KEY} is not a private key "
                            "(scripts/update-key makes one). No release was made.")
    endif()
    execute_process(COMMAND openssl pkey -pubin -in "${public}" -outform DER
                            -out "${work}/skin-public.der" RESULT_VARIABLE failed OUTPUT_QUIET)
    file(SHA256 "${work}/signing-public.der" signing)
    if(NOT failed)
        file(SHA256 "${work}/skin-public.der" skin)
    endif()
    if(failed OR NOT signing STREQUAL skin)
        message(FATAL_ERROR "The update key ${UPDATE_KEY} is not the private half of the skin's "
                            "${RELEASE_UPDATE_KEY}: the client would refuse what it signs. "
                            "No release was made.")
    endif()
    set(rollout 100)
    if(DEFINED UPDATE_ROLLOUT AND NOT UPDATE_ROLLOUT STREQUAL "")
        set(rollout "${UPDATE_ROLLOUT}")
    endif()
    if(NOT rollout MATCHES "^[0-9]+$" OR rollout GREATER 100)
        message(FATAL_ERROR "The roll-out \"${rollout}\" is not a percentage from 0 to 100. "
                            "No release was made.")
    endif()
    math(EXPR rollout "${rollout}")
    if(DEFINED UPDATE_MINIMUM_VERSION AND NOT UPDATE_MINIMUM_VERSION STREQUAL "")
        if(NOT UPDATE_MINIMUM_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$" OR
           CMAKE_MATCH_1 GREATER 65535 OR CMAKE_MATCH_2 GREATER 65535 OR
           CMAKE_MATCH_3 GREATER 65535)
            message(FATAL_ERROR "The minimum version \"${UPDATE_MINIMUM_VERSION}\" is not a "
                                "version x.y.z. No release was made.")
        endif()
        if(UPDATE_MINIMUM_VERSION VERSION_GREATER RELEASE_VERSION)
            message(FATAL_ERROR "The minimum version ${UPDATE_MINIMUM_VERSION} is above the "
                                "release's own ${RELEASE_VERSION}. No release was made.")
        endif()
    endif()
    set(notes "")
    if(DEFINED UPDATE_NOTES AND NOT UPDATE_NOTES STREQUAL "")
        execute_process(COMMAND iconv -f UTF-8 -t UTF-8 "${UPDATE_NOTES}"
                        RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
        if(failed)
            message(FATAL_ERROR "The notes ${UPDATE_NOTES} do not exist or are not UTF-8 text. "
                                "No release was made.")
        endif()
        # Tabs and line ends are the only control characters a note holds.
        file(READ "${UPDATE_NOTES}" bytes HEX)
        if(bytes MATCHES "^(..)*(0[0-8bcef]|1[0-9a-f])")
            message(FATAL_ERROR "The notes ${UPDATE_NOTES} hold a control character. "
                                "No release was made.")
        endif()
        # Lines end in "\n" whatever the file's line ends.
        file(READ "${UPDATE_NOTES}" notes)
        string(REPLACE "\r" "" notes "${notes}")
        # Notepad's byte-order mark is no part of the text.
        string(ASCII 239 187 191 bom)
        string(FIND "${notes}" "${bom}" bom_at)
        if(bom_at EQUAL 0)
            string(SUBSTRING "${notes}" 3 -1 notes)
        endif()
    endif()
    set(update_notes "${notes}" PARENT_SCOPE)
    set(update_rollout "${rollout}" PARENT_SCOPE)
endfunction()

set(work "${STAGE_DIR}-work")
file(REMOVE_RECURSE "${STAGE_DIR}" "${work}")
file(MAKE_DIRECTORY "${STAGE_DIR}" "${work}/out")

# A certificate that cannot sign stops the release before anything is made.
set(signing FALSE)
if(DEFINED SIGN_PFX AND NOT SIGN_PFX STREQUAL "")
    if(NOT DEFINED SIGN_PASSWORD_FILE)
        message(FATAL_ERROR "Signing needs -DSIGN_PASSWORD_FILE=...")
    endif()
    check_certificate("${SIGN_PFX}" "${SIGN_PASSWORD_FILE}" "${work}")
    set(signing TRUE)
endif()

# The description: the release tool checks it and brands a copy of the client.
file(COPY "${CLIENT}" DESTINATION "${work}")
get_filename_component(client_name "${CLIENT}" NAME)
windows_path(skin_arg "${SKIN_DIR}")
windows_path(client_arg "${work}/${client_name}")
windows_path(description_arg "${work}/release.cmake")
execute_process(COMMAND "${root}/cmake/wine-run" "${TOOLS_DIR}/release.exe" "${skin_arg}"
                        "${client_arg}" "${description_arg}"
                RESULT_VARIABLE failed ERROR_VARIABLE problem OUTPUT_QUIET)
if(failed OR NOT EXISTS "${work}/release.cmake")
    string(STRIP "${problem}" problem)
    message(FATAL_ERROR "${problem}\nNo release was made.")
endif()
include("${work}/release.cmake")
set(updating FALSE)
if(DEFINED UPDATE_KEY AND NOT UPDATE_KEY STREQUAL "")
    check_update_options()
    set(updating TRUE)
else()
    foreach(option UPDATE_NOTES UPDATE_ROLLOUT UPDATE_MINIMUM_VERSION)
        if(DEFINED ${option} AND NOT ${option} STREQUAL "")
            message(FATAL_ERROR "The notes, roll-out and minimum version go with an update key "
                                "(--update-key). No release was made.")
        endif()
    endforeach()
endif()
if(RELEASE_DESCRIBED)
    set(exe "${RELEASE_ID}.exe")
    set(stem "${RELEASE_ID}")
    set(installer_version "${RELEASE_VERSION}.0")
    set(version_text "${RELEASE_VERSION}")
    string(REPLACE "\\" "/" icon "${SKIN_DIR}/${RELEASE_ICON}")
else()
    # The client's own release, named as its version information names it.
    file(STRINGS "${root}/resources/client.rc" product_line REGEX "VALUE \"ProductName\"")
    if(NOT product_line MATCHES "VALUE \"ProductName\", \"([^\"]+)\"")
        message(FATAL_ERROR "No ProductName in resources/client.rc")
    endif()
    set(RELEASE_NAME "${CMAKE_MATCH_1}")
    set(RELEASE_NAME_EN "${RELEASE_NAME}")
    set(RELEASE_ID "${PRODUCT_KEY}")
    string(REGEX MATCH "^[0-9]+\\.[0-9]+\\.[0-9]+" RELEASE_VERSION "${VERSION}")
    set(RELEASE_DESKTOP_SHORTCUT ON)
    set(exe "${client_name}")
    # File names: the product's name in lower case with hyphens ("game-client").
    string(TOLOWER "${RELEASE_NAME}" stem)
    string(REGEX REPLACE "[^a-z0-9]+" "-" stem "${stem}")
    string(REGEX REPLACE "^-|-$" "" stem "${stem}")
    set(installer_version "${VERSION}")
    set(version_text "${VERSION}")
    set(icon "${root}/resources/client.ico")
endif()

if(signing)
    # For the signing command, here and when makensis runs it.
    set(ENV{CLIENT_SIGN_PFX} "${SIGN_PFX}")
    set(ENV{CLIENT_SIGN_PASSWORD_FILE} "${SIGN_PASSWORD_FILE}")
    set(ENV{CLIENT_SIGN_TIMESTAMP} "${TIMESTAMP_URL}")
    set(ENV{CLIENT_SIGN_NAME} "${RELEASE_NAME}")
    set(ENV{CLIENT_SIGN_URL} "${RELEASE_WEBSITE}")
endif()

# Signs a staged file in place when signing.
function(sign_staged file)
    if(signing)
        execute_process(COMMAND "${sign_file}" "${file}" RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "Signing ${file} failed. No release was made.")
        endif()
    endif()
endfunction()

file(COPY_FILE "${work}/${client_name}" "${STAGE_DIR}/${exe}")
sign_staged("${STAGE_DIR}/${exe}")
file(COPY "${SKIN_DIR}/config.xml" "${SKIN_DIR}/data" DESTINATION "${STAGE_DIR}")
set(files "${exe}" config.xml ${skin_files})
list(SORT files)

# What the installer puts in place (and records), what its uninstaller
# removes, and which paths belong to the release; folders go deepest first,
# and only when empty.
set(install "!macro ClientInstallFiles\n")
set(remove "!macro ClientRemoveFiles\n")
set(owned "!macro ClientIsReleasePath PATH RESULT\n    StrCpy \${RESULT} 1\n")
set(folders "")
set(folder "-")
foreach(file IN LISTS files)
    get_filename_component(dir "${file}" DIRECTORY)
    string(REPLACE "/" "\\" windows_file "${file}")
    string(REPLACE "/" "\\" windows_dir "${dir}")
    if(NOT dir STREQUAL folder)
        set(folder "${dir}")
        if(dir STREQUAL "")
            string(APPEND install "    SetOutPath \"$INSTDIR\"\n")
        else()
            string(APPEND install "    SetOutPath \"$INSTDIR\\${windows_dir}\"\n")
            while(NOT dir STREQUAL "")
                list(APPEND folders "${dir}")
                get_filename_component(dir "${dir}" DIRECTORY)
            endwhile()
        endif()
    endif()
    string(APPEND install "    File \"${STAGE_DIR}/${file}\"\n"
                          "    FileWriteUTF16LE $9 \"${windows_file}$\\r$\\n\"\n")
    string(APPEND remove "    Delete \"$INSTDIR\\${windows_file}\"\n")
    list(APPEND owned_paths "${windows_file}")
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders)
list(REVERSE folders)
foreach(dir IN LISTS folders)
    string(REPLACE "/" "\\" windows_dir "${dir}")
    string(APPEND install "    FileWriteUTF16LE $9 \"${windows_dir}$\\r$\\n\"\n")
    string(APPEND remove "    RMDir \"$INSTDIR\\${windows_dir}\"\n")
    list(APPEND owned_paths "${windows_dir}")
endforeach()
list(APPEND owned_paths "uninstall.exe")
foreach(path IN LISTS owned_paths)
    string(APPEND owned "    StrCmp \${PATH} \"${path}\" release_path_known\n")
endforeach()
string(APPEND owned "    StrCpy \${RESULT} 0\n    release_path_known:\n")
set(files_nsh "${work}/files.nsh")
file(WRITE "${files_nsh}"
     "${install}!macroend\n${remove}!macroend\n${owned}!macroend\n")

set(zip_name "${stem}-${RELEASE_VERSION}${arch_suffix}.zip")
set(setup_name "${stem}-${RELEASE_VERSION}${arch_suffix}-setup.exe")
set(kit_name "${stem}-${RELEASE_VERSION}${arch_suffix}-skin-kit.zip")
set(out "${work}/out")

# The files at the zip's top level: Windows extracts into a folder named
# after the zip.
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${out}/${zip_name}" --format=zip -- ${files}
                WORKING_DIRECTORY "${STAGE_DIR}" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "Making ${zip_name} failed")
endif()

find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
    message(FATAL_ERROR "makensis not found: scripts/setup installs it (Debian package nsis)")
endif()
# The description's texts reach the installer through a file of
# definitions, never through CMake lists or the command line, which would
# split them at ";" or merge them at a closing "\".
set(definitions "")
foreach(pair NAME:PRODUCT_NAME NAME_EN:PRODUCT_NAME_EN PUBLISHER:PUBLISHER WEBSITE:WEBSITE
             COPYRIGHT:COPYRIGHT)
    string(REPLACE ":" ";" pair "${pair}")
    list(GET pair 0 field)
    list(GET pair 1 name)
    string(LENGTH "${RELEASE_${field}}" given)
    if(given GREATER 0)
        nsis_define(definitions ${name} "${RELEASE_${field}}")
    endif()
endforeach()
set(release_nsh "${work}/release.nsh")
file(WRITE "${release_nsh}" "${definitions}")
set(defines "")
if(NOT RELEASE_LICENCE STREQUAL "")
    # The licence page reads UTF-8 only from a file that says so.
    string(REPLACE "\\" "/" licence "${SKIN_DIR}/${RELEASE_LICENCE}")
    file(READ "${licence}" head LIMIT 3 HEX)
    file(READ "${licence}" text)
    if(head STREQUAL "efbbbf")
        string(SUBSTRING "${text}" 3 -1 text)
    endif()
    string(ASCII 239 187 191 bom)
    file(WRITE "${work}/licence.txt" "${bom}${text}")
    list(APPEND defines "-DLICENCE=${work}/licence.txt")
endif()
if(signing)
    list(APPEND defines "-DSIGN=${sign_file}")
endif()
execute_process(
    COMMAND "${MAKENSIS}" -V2 -WX -INPUTCHARSET UTF8 ${defines}
            "-DPRODUCT_KEY=${RELEASE_ID}" "-DVERSION=${installer_version}" "-DVERSION_TEXT=${version_text}"
            "-DRELEASE_VERSION=${RELEASE_VERSION}" "-DEXE=${exe}" "-DICON=${icon}"
            "-DDESKTOP=${RELEASE_DESKTOP_SHORTCUT}" "-DFILES=${files_nsh}" "-DARCH=${ARCH}"
            "-DRELEASE=${release_nsh}"
            "-DOUTFILE=${out}/${setup_name}" "${CMAKE_CURRENT_LIST_DIR}/client.nsi"
    RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "makensis failed. No release was made.")
endif()

# The update description of this installer, signed: what the branded
# client will read at its address. The 32-bit client's address has -x86
# before the final .json (the release tool's rule), and so has the file.
set(made_names "${zip_name}" "${setup_name}" "${kit_name}")
if(updating)
    set(update_name "${stem}-update${arch_suffix}.json")
    file(SIZE "${out}/${setup_name}" installer_size)
    file(SHA256 "${out}/${setup_name}" installer_sha256)
    string(TIMESTAMP published "%Y-%m-%dT%H:%M:%SZ" UTC)
    json_string(notes_json "${update_notes}")
    set(minimum "")
    if(DEFINED UPDATE_MINIMUM_VERSION AND NOT UPDATE_MINIMUM_VERSION STREQUAL "")
        set(minimum ",\n  \"minimum_version\": \"${UPDATE_MINIMUM_VERSION}\"")
    endif()
    file(WRITE "${out}/${update_name}"
         "{\n  \"format\": 1,\n  \"id\": \"${RELEASE_ID}\",\n"
         "  \"version\": \"${RELEASE_VERSION}\",\n  \"published\": \"${published}\",\n"
         "  \"installer\": \"${setup_name}\",\n  \"installer_size\": ${installer_size},\n"
         "  \"installer_sha256\": \"${installer_sha256}\",\n  \"notes\": ${notes_json},\n"
         "  \"rollout\": ${update_rollout}${minimum}\n}\n")
    execute_process(COMMAND "${root}/scripts/update-sign" "${UPDATE_KEY}" "${out}/${update_name}"
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "Signing ${update_name} failed. No release was made.")
    endif()
    list(APPEND made_names "${update_name}" "${update_name}.sig")
endif()

# The kit for skin authors on Windows: the checker and the preview, the skin
# and the documents, with a text saying how to run them.
set(kit "${work}/kit")
file(MAKE_DIRECTORY "${kit}/docs")
file(COPY ${KIT_TOOLS} DESTINATION "${kit}")
foreach(tool IN LISTS KIT_TOOLS)
    get_filename_component(name "${tool}" NAME)
    sign_staged("${kit}/${name}")
endforeach()
file(COPY "${SKIN_DIR}/" DESTINATION "${kit}/skin")
file(COPY "${root}/docs/configuration.md" "${root}/docs/pages.md" "${root}/docs/releases.md"
     DESTINATION "${kit}/docs")
file(COPY "${root}/pages/" DESTINATION "${kit}/pages")
configure_file("${CMAKE_CURRENT_LIST_DIR}/kit-readme.txt.in" "${kit}/README.txt" @ONLY NEWLINE_STYLE CRLF)
file(GLOB_RECURSE kit_files RELATIVE "${kit}" "${kit}/*")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${out}/${kit_name}" --format=zip -- ${kit_files}
                WORKING_DIRECTORY "${kit}" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "Making ${kit_name} failed. No release was made.")
endif()

# All made: the release takes the place of any earlier one of its name.
file(MAKE_DIRECTORY "${OUTPUT_DIR}")
foreach(name IN LISTS made_names)
    file(REMOVE "${OUTPUT_DIR}/${name}")
    file(RENAME "${out}/${name}" "${OUTPUT_DIR}/${name}")
endforeach()
set(note "")
if(NOT signing)
    set(note "\nThe release is not signed: Windows warns players that the publisher is unknown "
             "when they start the installer, and some antivirus programs distrust unsigned files. "
             "Sign it with scripts/package --sign CERT.pfx.")
endif()
set(update_files "")
if(updating)
    set(update_files "\n   ${OUTPUT_DIR}/${update_name}\n   ${OUTPUT_DIR}/${update_name}.sig")
elseif(RELEASE_DESCRIBED AND NOT RELEASE_UPDATE_URL STREQUAL "")
    list(APPEND note "\nNo update description was made: give the update key with --update-key.")
endif()
string(JOIN "" note ${note})
if(updating)
    # Appended as text: an address may hold ";", which a list would lose.
    string(APPEND note "\nUpload the update description and its signature beside the installer: "
                       "${update_name} at ${RELEASE_CLIENT_UPDATE_URL}, which the ${ARCH} client "
                       "reads, and ${update_name}.sig at the same address with .sig added.")
endif()
message(STATUS "Release ${RELEASE_VERSION} (${ARCH}) of ${RELEASE_NAME} with the skin in ${SKIN_DIR}:\n"
               "   ${OUTPUT_DIR}/${zip_name}\n   ${OUTPUT_DIR}/${setup_name}\n"
               "   ${OUTPUT_DIR}/${kit_name}${update_files}${note}")
