#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# metadatos_test.sh FUENTES CONFIGURADOS
# The desktop entries (FUENTES/*.desktop, the sources' packaging/) and the
# AppStream metadata as the build fills it in (for each
# FUENTES/*.metainfo.xml.in, the file of that name without .in in
# CONFIGURADOS, a build folder's packaging/), laid out as the package
# installs them and read as menus and software centres read them:
# desktop-file-validate and appstreamcli validate --no-net on each file, and
# appstreamcli validate-tree --no-net on the tree (each launchable's desktop
# entry is there). Any error or warning fails; hints and infos are printed.
# Each desktop entry has one metainfo whose launchable names it, with the
# same name, categories and keywords. Then copies of the tree broken one way
# each must fail the same checks: a check that passes them would pass
# anything (desktop-file-validate, for one, exits 0 on warnings).
set -euo pipefail
fuentes=$1
configurados=$2

for programa in desktop-file-validate appstreamcli; do
    if ! command -v "$programa" >/dev/null; then
        echo "FALLO: falta $programa (scripts/deps lo instala)" >&2
        exit 1
    fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The tree as installed: share/applications and share/metainfo.
arbol=$tmp/arbol
mkdir -p "$arbol/usr/share/applications" "$arbol/usr/share/metainfo"
cp "$fuentes"/*.desktop "$arbol/usr/share/applications/"
plantillas=("$fuentes"/*.metainfo.xml.in)
[ -f "${plantillas[0]}" ] || { echo "FALLO: no hay $fuentes/*.metainfo.xml.in" >&2; exit 1; }
for plantilla in "${plantillas[@]}"; do
    configurado=$configurados/$(basename "$plantilla" .in)
    [ -f "$configurado" ] || { echo "FALLO: falta $configurado (¿configurado?)" >&2; exit 1; }
    cp "$configurado" "$arbol/usr/share/metainfo/"
done

# The text of an element that stands alone on its line, in order.
elementos() { sed -n "s:^ *<$1>\(.*\)</$1>\$:\1:p" "$2"; }

# comprueba ARBOL: every check on the tree; prints what the validators say
# and returns 1 if any error, warning or mismatch was found.
comprueba() {
    local arbol=$1 mal=0 f salida nombre metainfos clave desktop metainfo
    for f in "$arbol"/usr/share/applications/*.desktop; do
        salida=$(desktop-file-validate "$f" 2>&1) || mal=1
        echo "desktop-file-validate $(basename "$f"): ${salida:-sin observaciones}"
        if grep -qE ': (error|warning): ' <<<"$salida"; then mal=1; fi
    done
    for f in "$arbol"/usr/share/metainfo/*.metainfo.xml; do
        salida=$(appstreamcli validate --no-net "$f" 2>&1) || mal=1
        echo "appstreamcli validate $(basename "$f"):"$'\n'"$salida"
        if grep -qE '^ *[EW]: ' <<<"$salida"; then mal=1; fi
    done
    salida=$(appstreamcli validate-tree --no-net "$arbol" 2>&1) || mal=1
    echo "appstreamcli validate-tree:"$'\n'"$salida"
    if grep -qE '^ *[EW]: ' <<<"$salida"; then mal=1; fi

    # Each desktop entry and its metainfo say the same.
    for f in "$arbol"/usr/share/applications/*.desktop; do
        nombre=$(basename "$f")
        metainfos=$(grep -lF "<launchable type=\"desktop-id\">$nombre</launchable>" \
            "$arbol"/usr/share/metainfo/*.metainfo.xml || true)
        if [ "$(grep -c . <<<"$metainfos")" -ne 1 ]; then
            echo "FALLO: $nombre: se esperaba un metainfo que lo lance, hay: ${metainfos:-ninguno}"
            mal=1
            continue
        fi
        for clave in Name:name Categories:category Keywords:keyword; do
            desktop=$(sed -n "s/^${clave%%:*}=//p" "$f")
            metainfo=$(elementos "${clave#*:}" "$metainfos" | tr '\n' ';')
            [ "${clave%%:*}" = Name ] && metainfo=${metainfo%;}
            if [ "$desktop" != "$metainfo" ]; then
                echo "FALLO: ${clave%%:*} de $nombre «$desktop», en $(basename "$metainfos") «$metainfo»"
                mal=1
            fi
        done
    done
    return $mal
}

echo "== los archivos del proyecto"
if ! comprueba "$arbol"; then
    echo "FALLO: las entradas de escritorio o los metadatos de AppStream tienen errores o avisos" >&2
    exit 1
fi

# Broken copies, one way each: what is broken, the kind of file changed (the
# first of its kind) and the sed expression that breaks it.
rotos=(
    "un id que no es DNS inverso|metainfo|s:<id>[^<]*</id>:<id>vespalba</id>:"
    "un launchable sin su entrada de escritorio|metainfo|s:\.desktop</launchable>:-otro.desktop</launchable>:"
    "los metadatos bajo la GPL, que AppStream no admite para ellos|metainfo|s:<metadata_license>[^<]*:<metadata_license>GPL-3.0-or-later:"
    "una clave obsoleta en la entrada (un aviso, estado 0)|desktop|\$a Encoding=UTF-8"
    "una categoría no registrada en la entrada|desktop|s/^Categories=/Categories=Astronomia;/"
    "otro nombre en la entrada que en su metainfo|desktop|s/^Name=/Name=Otro /"
    "una palabra clave de más en la entrada|desktop|s/^Keywords=/Keywords=efemérides;/"
)
declare -A carpeta=([metainfo]=metainfo [desktop]=applications)
declare -A patron=([metainfo]='*.metainfo.xml' [desktop]='*.desktop')
fallos=0
for roto in "${rotos[@]}"; do
    IFS='|' read -r que tipo expresion <<<"$roto"
    copia=$tmp/roto
    rm -rf "$copia"
    cp -r "$arbol" "$copia"
    # shellcheck disable=SC2206 # the pattern is expanded as a glob on purpose
    archivos=("$copia/usr/share/${carpeta[$tipo]}"/${patron[$tipo]})
    sed -i "$expresion" "${archivos[0]}"
    if cmp -s "${archivos[0]}" "$arbol/usr/share/${carpeta[$tipo]}/$(basename "${archivos[0]}")"; then
        echo "FALLO: la copia con $que no cambió (sed: $expresion)" >&2
        fallos=$((fallos + 1))
    elif registro=$(comprueba "$copia"); then
        echo "FALLO: la copia con $que pasa las comprobaciones:"$'\n'"$registro" >&2
        fallos=$((fallos + 1))
    else
        echo "== rechazada, como debe: $(basename "${archivos[0]}") con $que"
    fi
done
if [ "$fallos" -ne 0 ]; then
    exit 1
fi
echo "metadatos: ${#plantillas[@]} metainfo de AppStream y sus entradas de escritorio, sin errores ni avisos; ${#rotos[@]} copias rotas, rechazadas"
