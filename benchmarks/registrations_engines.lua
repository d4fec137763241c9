-- wrk: distinct registrations shaped like the wizard's (a target of about
-- 600 bytes: personal fields, game, language, eight answers), each one
-- different from every other of the run, so none is taken as a Retry. Give
-- each wrk process a tag of its own after "--" (its threads add theirs).
local thread_count = 0
function setup(thread)
  thread_count = thread_count + 1
  thread:set("thread_tag", tostring(thread_count))
end

function init(args)
  tag = (args[1] or "w") .. "t" .. thread_tag
end

local n = 0
local answers = {}
for i = 1, 8 do
  answers[#answers + 1] = i .. "%60Answer%20number%20" .. i .. "%20with%20some%20words"
end
local tail = table.concat(answers, "%7C")

function request()
  n = n + 1
  local id = tag .. "n" .. n
  return wrk.format("GET", "/register?FirstName=Ann&LastName=Lee&Address=12%20High%20Street"
    .. "&City=Springfield&Zip=12345&Country=Canada&Email=p" .. id .. "%40example.org"
    .. "&Phone=555%20123%204567&dob=1990-04-01&pname=Velmora%20Racing&lang=English"
    .. "&ans=" .. tail .. "%7C13%60" .. id)
end
