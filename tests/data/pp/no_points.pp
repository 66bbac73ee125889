<!DOCTYPE PickedPoints>
<PickedPoints>
 <DocumentData>
  <DateTime time="10:12:01" date="2024-03-05"/>
  <User name="digitiser"/>
  <DataFileName name="skull07.ply"/>
  <templateName name=""/>
 </DocumentData>
</PickedPoints>
