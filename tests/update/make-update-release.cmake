# A release with updates, made as an operator makes it: a key pair from
# scripts/update-key, the public key in the skin, and scripts/package's
# steps with the private key, notes, a roll-out and a minimum version. Then
# the same description signed with another key (scripts/update-sign), and
# the description's fields checked against what was made. The same release
# is made in 32 bits from X86_PROGRAM (a 32-bit program as its client), with
# its own description naming its own installer.
#
#   cmake -DROOT=... -DBIN_DIR=... -DX86_PROGRAM=... -DSKIN_DIR=... -DWORK_DIR=...
#         -P make-update-release.cmake
#
# WORK_DIR receives keys/ (update.pem, update-public.pem and its DER form,
# other.pem, other-public.der, description.der), skin/, stage/ and stage-x86/
# (the branded UpdateGame.exe of each), releases/, other/ (the description signed with the other key), rollout0/
# and rollout100/ (the description with those roll-outs, signed).
set(keys "${WORK_DIR}/keys")
set(skin "${WORK_DIR}/skin")
set(releases "${WORK_DIR}/releases")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${keys}" "${WORK_DIR}/other")

include("${CMAKE_CURRENT_LIST_DIR}/release-steps.cmake")

foreach(name update other)
    run("${ROOT}/scripts/update-key" "${keys}/${name}.pem")
    run(openssl pkey -pubin -in "${keys}/${name}-public.pem" -outform DER
        -out "${keys}/${name}-public.der")
endforeach()
file(COPY "${SKIN_DIR}/config.xml" "${SKIN_DIR}/data" "${keys}/update-public.pem"
     DESTINATION "${skin}")
file(COPY_FILE "${ROOT}/tests/installer/branded.ico" "${skin}/data/main.ico")
file(WRITE "${skin}/release.ini"
     "name=更新测试\npublisher=p\nid=UpdateGame\nversion=2.1.0\n"
     "update_url=https://127.0.0.1/updates/UpdateGame-update.json\n"
     "update_key=update-public.pem\n"
     "crash_report_url=http://127.0.0.1/crash\n")
set(notes "修复了登录问题。\n\t\"Quotes\", a back\\slash; and 100% more\n")
string(REPLACE "\n" "\r\n" written "${notes}")
file(WRITE "${WORK_DIR}/notes.txt" "${written}")

# The 32-bit release's programs: the 32-bit client, the kit's tools as built.
set(x86_bin "${WORK_DIR}/x86-bin")
file(COPY "${X86_PROGRAM}" "${BIN_DIR}/preview.exe" "${BIN_DIR}/skincheck.exe"
     DESTINATION "${x86_bin}")
foreach(arch "" -x86)
    set(bin "${BIN_DIR}")
    if(arch)
        set(bin "${x86_bin}")
    endif()
    run("${CMAKE_COMMAND}" -DSKIN_DIR=${skin} -DBIN_DIR=${bin} -DTOOLS_DIR=${BIN_DIR}
        -DVERSION=1.0.0.1 -DPRODUCT_KEY=GameClient -DSTAGE_DIR=${WORK_DIR}/stage${arch}
        -DOUTPUT_DIR=${releases} -DUPDATE_KEY=${keys}/update.pem
        -DUPDATE_NOTES=${WORK_DIR}/notes.txt -DUPDATE_ROLLOUT=25
        -DUPDATE_MINIMUM_VERSION=2.0.0 -P "${ROOT}/installer/package.cmake")
endforeach()
set(description "${releases}/UpdateGame-update.json")
file(COPY_FILE "${description}" "${WORK_DIR}/other/UpdateGame-update.json")
run("${ROOT}/scripts/update-sign" "${keys}/other.pem" "${WORK_DIR}/other/UpdateGame-update.json")
# The same release rolled out to none and to all, signed again as an
# operator does.
foreach(rollout 0 100)
    file(READ "${description}" json)
    string(REPLACE "\"rollout\": 25" "\"rollout\": ${rollout}" json "${json}")
    string(JSON written GET "${json}" rollout)
    if(NOT written EQUAL rollout)
        message(FATAL_ERROR "the roll-out of the description is not where it was looked for")
    endif()
    file(WRITE "${WORK_DIR}/rollout${rollout}/UpdateGame-update.json" "${json}")
    run("${ROOT}/scripts/update-sign" "${keys}/update.pem"
        "${WORK_DIR}/rollout${rollout}/UpdateGame-update.json")
endforeach()
# openssl's own form of the same signature (DER), which the client refuses.
run(openssl dgst -sha256 -sign "${keys}/update.pem" -out "${keys}/description.der" "${description}")

# What each description says: this release, its own architecture's
# installer as made, the options as given.
foreach(arch "" -x86)
    file(READ "${releases}/UpdateGame-update${arch}.json" json)
    set(installer "UpdateGame-2.1.0${arch}-setup.exe")
    file(SIZE "${releases}/${installer}" size)
    file(SHA256 "${releases}/${installer}" sha256)
    foreach(check "format=1" "id=UpdateGame" "version=2.1.0" "installer=${installer}"
                  "installer_size=${size}" "installer_sha256=${sha256}" "rollout=25"
                  "minimum_version=2.0.0" "notes=${notes}")
        string(FIND "${check}" "=" at)
        string(SUBSTRING "${check}" 0 ${at} field)
        math(EXPR at "${at} + 1")
        string(SUBSTRING "${check}" ${at} -1 expected)
        string(JSON value GET "${json}" ${field})
        if(NOT value STREQUAL expected)
            message(FATAL_ERROR "${field}: \"${value}\", not \"${expected}\", in:\n${json}")
        endif()
    endforeach()
    string(JSON published GET "${json}" published)
    if(NOT published MATCHES "^20[0-9][0-9]-[01][0-9]-[0-3][0-9]T[0-2][0-9]:[0-5][0-9]:[0-5][0-9]Z$")
        message(FATAL_ERROR "published: \"${published}\" is not a UTC time")
    endif()
endforeach()
