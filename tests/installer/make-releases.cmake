# The releases the installer tests install, made as an operator makes them,
# with throwaway certificates made here:
#   TestGame 1.0.0   a Chinese name, a publisher, an icon of its own and a
#                    licence, signed; data\only-1.0.0.txt
#   TestGame 1.1.0   its upgrade: data\only-1.1.0.txt in place of that file
#   OtherGame 3.0.0  another product, without a desktop shortcut; its name,
#                    publisher and copyright hold what CMake and the
#                    installer's compiler read as their own
#   RivalGame 1.0.0  another id with TestGame's name
#
#   cmake -DBIN_DIR=... -DSKIN_DIR=... -DICON=... -DVERSION=... -DWORK_DIR=...
#         -P make-releases.cmake
#
# WORK_DIR receives certificates/ (ca.pem, code.pfx, server.pfx,
# expired.pfx, password.txt), skins/ and releases/.
set(certificates "${WORK_DIR}/certificates")
set(skins "${WORK_DIR}/skins")
set(releases "${WORK_DIR}/releases")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${certificates}" "${skins}")

function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${certificates}"
                    RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE error)
    if(failed)
        message(FATAL_ERROR "${ARGN}: ${error}")
    endif()
endfunction()

# A certificate authority, and certificates it issued: one for code signing,
# one for web servers only, one that has expired.
file(WRITE "${certificates}/password.txt" "test pass; not secret")
file(WRITE "${certificates}/code.cnf" "extendedKeyUsage=codeSigning\nkeyUsage=digitalSignature\n")
file(WRITE "${certificates}/server.cnf" "extendedKeyUsage=serverAuth\n")
file(WRITE "${certificates}/expired.cnf" "extendedKeyUsage=codeSigning\n")
run(openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30
    -subj "/CN=Test CA" -addext "basicConstraints=critical,CA:TRUE"
    -addext "keyUsage=critical,keyCertSign,cRLSign")
foreach(name code server expired)
    set(days 30)
    if(name STREQUAL "expired")
        set(days 0)
    endif()
    run(openssl req -newkey rsa:2048 -nodes -keyout ${name}.key -out ${name}.csr
        -subj "/CN=Test ${name}")
    run(openssl x509 -req -in ${name}.csr -CA ca.pem -CAkey ca.key -CAcreateserial
        -out ${name}.pem -days ${days} -extfile ${name}.cnf)
    run(openssl pkcs12 -export -in ${name}.pem -inkey ${name}.key -certfile ca.pem
        -out ${name}.pfx -passout file:password.txt)
endforeach()

# skin(NAME VERSION ONLY_FILE DESCRIPTION): the test skin with a description.
function(skin name version only description)
    set(dir "${skins}/${name}-${version}")
    file(COPY "${SKIN_DIR}/config.xml" "${SKIN_DIR}/data" DESTINATION "${dir}")
    file(WRITE "${dir}/data/${only}" "${name} ${version}")
    file(COPY_FILE "${ICON}" "${dir}/game.ico")
    file(COPY_FILE "${ICON}" "${dir}/data/main.ico")
    file(WRITE "${dir}/licence.txt" "测试游戏许可协议\n")
    file(WRITE "${dir}/release.ini" "; ${name}\n[release]\nversion=${version}\n${description}")
endfunction()
set(test_game "name=测试游戏\nname_en=Test Game\npublisher=测试网络科技有限公司\nid=TestGame\n"
    "website=https://example.com/test-game\nicon=game.ico\nlicence=licence.txt\n"
    "copyright=版权所有 2026 测试网络科技有限公司\n")
string(JOIN "" test_game ${test_game})
skin(TestGame 1.0.0 only-1.0.0.txt "${test_game}")
skin(TestGame 1.1.0 only-1.1.0.txt "${test_game}")
skin(OtherGame 3.0.0 other.txt [=[name=另一个游戏 $(Y)$$;#'`@a@[[b]]{c}
publisher=另一家 "公司" ;$PUBLISHER# '`\
copyright=$(ProductName) [[x]]; "c" $$ \q\
id=OtherGame
desktop_shortcut=no
]=])
skin(RivalGame 1.0.0 rival.txt "name=测试游戏\npublisher=p\nid=RivalGame\n")

# package(SKIN [ARGS...]): the release; one made without signing says so.
function(package skin)
    execute_process(COMMAND "${CMAKE_COMMAND}" -DSKIN_DIR=${skins}/${skin} -DBIN_DIR=${BIN_DIR}
                            -DVERSION=${VERSION} -DPRODUCT_KEY=GameClient
                            -DSTAGE_DIR=${WORK_DIR}/stage -DOUTPUT_DIR=${releases} ${ARGN}
                            -P "${CMAKE_CURRENT_LIST_DIR}/../../installer/package.cmake"
                    RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
    string(FIND "${said}" "The release is not signed" unsigned_at)
    set(signed FALSE)
    set(says_unsigned FALSE)
    if(ARGC GREATER 1)
        set(signed TRUE)
    endif()
    if(unsigned_at GREATER -1)
        set(says_unsigned TRUE)
    endif()
    if(failed OR signed STREQUAL says_unsigned)
        message(FATAL_ERROR "The release of ${skin} failed, or misreported its signing:\n${said}")
    endif()
endfunction()
package(TestGame-1.0.0 -DSIGN_PFX=${certificates}/code.pfx
        -DSIGN_PASSWORD_FILE=${certificates}/password.txt)
package(TestGame-1.1.0)
package(OtherGame-3.0.0)
package(RivalGame-1.0.0)
