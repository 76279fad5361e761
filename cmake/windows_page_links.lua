-- A pandoc filter for the pages of the Windows ZIP. A link or picture that leads to a file of the
-- repository is made to lead to that file's place in the ZIP, from the page's own place; a link
-- to a file that the ZIP does not hold keeps its text alone. Links with a scheme and links within
-- the page stay as they are. Metadata given with -M:
--   vexilo-source  the page's source, from the repository's root (docs/machine.md)
--   vexilo-page    the page's place in the ZIP, from its root (docs/machine.html)
--   vexilo-places  a file of lines SOURCE=PLACE: every file of the ZIP by its source

local function folderOf(path)
  return path:match("^(.*/)") or ""
end

-- `path` with its "." and ".." steps taken; nil when it leaves the root.
local function normal(path)
  local parts = {}
  for part in path:gmatch("[^/]+") do
    if part == ".." then
      if #parts == 0 then return nil end
      table.remove(parts)
    elseif part ~= "." then
      table.insert(parts, part)
    end
  end
  return table.concat(parts, "/")
end

-- The way from the folder `from` (empty or ending in "/") to the file or folder `to`.
local function relative(from, to)
  local up = 0
  while from ~= "" and to:sub(1, #from) ~= from do
    from = folderOf(from:sub(1, -2))
    up = up + 1
  end
  return string.rep("../", up) .. to:sub(#from + 1)
end

local places = {}
local sourceFolder = ""
local pageFolder = ""

-- The place in the ZIP of the repository's file or folder `source`; a folder is there when a file
-- under it is.
local function placeOf(source)
  if places[source] then return places[source] end
  local folder = source:gsub("/$", "")
  for from, to in pairs(places) do
    local inside = from:sub(1, #folder + 1) == folder .. "/"
    local placeInside = to:sub(-(#from - #folder)) == from:sub(#folder + 1)
    if inside and placeInside then return to:sub(1, #to - (#from - #folder)) .. "/" end
  end
  return nil
end

-- The target in the ZIP for `target` as the source page writes it; false when the ZIP does not
-- hold it, the target itself when it is no file of the repository.
local function moved(target)
  if target == "" or target:match("^#") or target:match("^%a[%w+.-]*:") then return target end
  local path, anchor = target:match("^([^#]*)(.*)$")
  local source = normal(sourceFolder .. path)
  local place = source and placeOf(source)
  if not place then return false end
  return relative(pageFolder, place) .. anchor
end

local function link(element)
  local target = moved(element.target)
  if target == false then return element.content end
  element.target = target
  return element
end

local function image(element)
  local target = moved(element.src)
  if target == false then
    error("the picture " .. element.src .. " is not in the ZIP")
  end
  element.src = target
  return element
end

function Pandoc(document)
  local meta = document.meta
  sourceFolder = folderOf(pandoc.utils.stringify(meta["vexilo-source"]))
  pageFolder = folderOf(pandoc.utils.stringify(meta["vexilo-page"]))
  for line in io.lines(pandoc.utils.stringify(meta["vexilo-places"])) do
    local from, to = line:match("^([^=]+)=(.+)$")
    if from then places[from] = to end
  end
  return document:walk({Link = link, Image = image})
end
